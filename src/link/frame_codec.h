#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>

namespace vlr::link {

// The instrument's text frames: 'S', payload bytes as nibble characters ('0' + nibble, low
// nibble first), a checksum written the same way, 'P'. Record frames carry a 16-bit checksum,
// the identification frame a 32-bit one.
//
// The functions work on the receive buffer. "highestIndex" is the last index they may look at;
// decoding writes the payload bytes over the start of the same buffer.

constexpr char StartMark = 'S';
constexpr char EndMark = 'P';

// Index of the first occurrence of c at 0..highestIndex; highestIndex + 1 when there is none.
int FindChar(const std::uint8_t* buffer, int highestIndex, char c);

// The byte sent as the two characters at position (low nibble) and position + 1 (high nibble).
std::uint8_t DecodeByte(const std::uint8_t* buffer, int position);
// Four characters, low byte first.
std::uint16_t DecodeWord(const std::uint8_t* buffer, int position);
// Eight characters, low word first.
std::uint32_t DecodeLong(const std::uint8_t* buffer, int position);

// Number of payload bytes decoded in place; 0 when the frame is rejected (no start mark before
// the end mark, fewer than 11 characters between them, or a checksum mismatch). A rejected
// frame leaves the buffer untouched.
int DecodeLongFrame(std::uint8_t* buffer, int highestIndex);
int DecodeShortFrame(std::uint8_t* buffer, int highestIndex);

// Little-endian unsigned word of decoded bytes position and position + 1.
std::uint16_t ReadWord(const std::uint8_t* bytes, int position);
// The instrument clock's reading: a wall-clock date and time of no time zone, so that an hour
// which a clock change here skips or repeats is kept as the instrument recorded it.
struct DateTimeReading {
    QDate date;
    QTime time;
    bool operator==(const DateTimeReading& other) const {
        return date == other.date && time == other.time;
    }
};

// Six bytes: seconds, minutes, hours, day, month, two-digit year. Out-of-range parts are
// replaced; a day that does not exist in its month gives 1 January 2005, 00:00:00.
DateTimeReading ReadDateTime(const std::uint8_t* bytes, int position);
// Three bytes: two-digit year, month, day; anything that is not a valid date (including a
// byte of 100 or more) gives 1 January 2000.
QDate ReadVersionDate(const std::uint8_t* bytes, int position);

// A received quantity: the unsigned word or byte holding value × divisor.
inline double ScaledValue(unsigned raw, double divisor) {
    return raw / divisor;
}
// Shortest decimal form (at most 15 significant digits, no exponent for these magnitudes)
// with the user's decimal separator: 707 / 10 gives "70,7" under Russian settings.
QString DecimalText(double value);

// Checksums over the payload characters as sent: the sum of (1-based position XOR code).
std::uint16_t ShortChecksum(const std::uint8_t* characters, int count);
std::uint32_t LongChecksum(const std::uint8_t* characters, int count);

// Frames for the given payload bytes, marks included.
QByteArray encodeShortFrame(const QByteArray& payload);
QByteArray encodeLongFrame(const QByteArray& payload);

}  // namespace vlr::link
