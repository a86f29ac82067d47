#include "link/frame_codec.h"

#include <QLocale>

namespace vlr::link {
namespace {

constexpr int MinimumFrameCharacters = 11;

// The characters between the marks of the first frame: [first, end) where end is the index of
// the end mark; false when there is no usable frame.
bool locateFrame(const std::uint8_t* buffer, int highestIndex, int& first, int& end) {
    end = FindChar(buffer, highestIndex, EndMark);
    const int start = FindChar(buffer, highestIndex, StartMark);
    if (end > highestIndex || start >= end)
        return false;
    first = start + 1;
    return end - first >= MinimumFrameCharacters;
}

// Payload characters [first, checksumAt) decoded as pairs over the start of the buffer.
int decodePairsInPlace(std::uint8_t* buffer, int first, int checksumAt) {
    int count = 0;
    for (int position = first; position < checksumAt; position += 2)
        buffer[count++] = DecodeByte(buffer, position);
    return count;
}

char nibbleCharacter(unsigned nibble) {
    return static_cast<char>('0' + (nibble & 0x0F));
}

void appendByte(QByteArray& out, unsigned byte) {
    out.append(nibbleCharacter(byte));
    out.append(nibbleCharacter(byte >> 4));
}

void appendWord(QByteArray& out, unsigned word) {
    appendByte(out, word & 0xFF);
    appendByte(out, (word >> 8) & 0xFF);
}

QByteArray payloadCharacters(const QByteArray& payload) {
    QByteArray characters;
    characters.reserve(payload.size() * 2);
    for (char byte : payload)
        appendByte(characters, static_cast<std::uint8_t>(byte));
    return characters;
}

const std::uint8_t* bytesOf(const QByteArray& data) {
    return reinterpret_cast<const std::uint8_t*>(data.constData());
}

}  // namespace

int FindChar(const std::uint8_t* buffer, int highestIndex, char c) {
    const auto wanted = static_cast<std::uint8_t>(c);
    for (int i = 0; i <= highestIndex; ++i) {
        if (buffer[i] == wanted)
            return i;
    }
    return highestIndex + 1;
}

std::uint8_t DecodeByte(const std::uint8_t* buffer, int position) {
    const int lo = buffer[position] - 48;
    const int hi = buffer[position + 1] - 48;
    return static_cast<std::uint8_t>((hi * 16 + lo) & 0xFF);
}

std::uint16_t DecodeWord(const std::uint8_t* buffer, int position) {
    return static_cast<std::uint16_t>(DecodeByte(buffer, position) +
                                      256u * DecodeByte(buffer, position + 2));
}

std::uint32_t DecodeLong(const std::uint8_t* buffer, int position) {
    return DecodeWord(buffer, position) + 65536u * DecodeWord(buffer, position + 4);
}

std::uint16_t ShortChecksum(const std::uint8_t* characters, int count) {
    std::uint16_t sum = 0;
    for (int k = 1; k <= count; ++k)
        sum = static_cast<std::uint16_t>(sum + (characters[k - 1] ^ (k & 0xFFFF)));
    return sum;
}

std::uint32_t LongChecksum(const std::uint8_t* characters, int count) {
    std::uint32_t sum = 0;
    for (int k = 1; k <= count; ++k)
        sum += static_cast<std::uint32_t>(k) ^ characters[k - 1];
    return sum;
}

int DecodeLongFrame(std::uint8_t* buffer, int highestIndex) {
    int first = 0;
    int end = 0;
    if (!locateFrame(buffer, highestIndex, first, end))
        return 0;
    const int checksumAt = end - 8;
    if (LongChecksum(buffer + first, checksumAt - first) != DecodeLong(buffer, checksumAt))
        return 0;
    return decodePairsInPlace(buffer, first, checksumAt);
}

int DecodeShortFrame(std::uint8_t* buffer, int highestIndex) {
    int first = 0;
    int end = 0;
    if (!locateFrame(buffer, highestIndex, first, end))
        return 0;
    const int checksumAt = end - 4;
    if (ShortChecksum(buffer + first, checksumAt - first) != DecodeWord(buffer, checksumAt))
        return 0;
    return decodePairsInPlace(buffer, first, checksumAt);
}

std::uint16_t ReadWord(const std::uint8_t* bytes, int position) {
    return static_cast<std::uint16_t>(bytes[position] + 256u * bytes[position + 1]);
}

DateTimeReading ReadDateTime(const std::uint8_t* bytes, int position) {
    const int second = bytes[position] > 59 ? 0 : bytes[position];
    const int minute = bytes[position + 1] > 59 ? 0 : bytes[position + 1];
    const int hour = bytes[position + 2] > 23 ? 0 : bytes[position + 2];
    const int rawDay = bytes[position + 3];
    const int rawMonth = bytes[position + 4];
    const int day = (rawDay == 0 || rawDay > 31) ? 1 : rawDay;
    const int month = (rawMonth == 0 || rawMonth > 12) ? 1 : rawMonth;
    const QDate date(2000 + bytes[position + 5], month, day);
    if (!date.isValid())
        return {QDate(2005, 1, 1), QTime(0, 0)};
    return {date, QTime(hour, minute, second)};
}

QDate ReadVersionDate(const std::uint8_t* bytes, int position) {
    const int year = bytes[position];
    const int month = bytes[position + 1];
    const int day = bytes[position + 2];
    // Written as dd.mm.yy and read back as a date: three-digit parts never form one.
    const QDate date(2000 + year, month, day);
    if (year > 99 || month > 99 || day > 99 || !date.isValid())
        return QDate(2000, 1, 1);
    return date;
}

QString DecimalText(double value) {
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return text;
}

QByteArray encodeShortFrame(const QByteArray& payload) {
    const QByteArray characters = payloadCharacters(payload);
    QByteArray frame(1, StartMark);
    frame += characters;
    appendWord(frame, ShortChecksum(bytesOf(characters), characters.size()));
    frame.append(EndMark);
    return frame;
}

QByteArray encodeLongFrame(const QByteArray& payload) {
    const QByteArray characters = payloadCharacters(payload);
    const std::uint32_t sum = LongChecksum(bytesOf(characters), characters.size());
    QByteArray frame(1, StartMark);
    frame += characters;
    appendWord(frame, sum & 0xFFFF);
    appendWord(frame, sum >> 16);
    frame.append(EndMark);
    return frame;
}

}  // namespace vlr::link
