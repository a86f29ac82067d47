#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace vlr::xls {

// Record identifiers of the BIFF8 format.
namespace biff {
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kPalette = 0x0092;

// The most data one record carries; the rest goes into CONTINUE records.
constexpr int kMaxRecordData = 8224;
}  // namespace biff

// Little-endian appenders for building record data.
void appendU8(QByteArray& out, std::uint8_t value);
void appendU16(QByteArray& out, std::uint16_t value);
void appendU32(QByteArray& out, std::uint32_t value);
void appendDouble(QByteArray& out, double value);
void appendUtf16(QByteArray& out, const QString& text);
// 16-bit character count, option byte 1 (uncompressed UTF-16), the characters.
void appendUnicodeString16(QByteArray& out, const QString& text);
void appendHex(QByteArray& out, const char* hex);  // "00 F5 FF ..." as bytes

// Fills bytes in order with little-endian values; for the many small records of the cells,
// where appending value by value would dominate.
class ByteCursor {
public:
    ByteCursor(QByteArray& out, qsizetype size) {
        const qsizetype at = out.size();
        out.resize(at + size);
        next_ = out.data() + at;
    }
    // Fills bytes that are already there.
    explicit ByteCursor(char* at) : next_(at) {}
    ByteCursor& u16(std::uint16_t value) {
        qToLittleEndian(value, next_);
        next_ += 2;
        return *this;
    }
    ByteCursor& u32(std::uint32_t value) {
        qToLittleEndian(value, next_);
        next_ += 4;
        return *this;
    }
    ByteCursor& f64(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        qToLittleEndian(bits, next_);
        next_ += 8;
        return *this;
    }

private:
    char* next_;
};

// Appends one record; data beyond 8224 bytes continues in CONTINUE records.
void WriteRecord(QByteArray& stream, std::uint16_t id, const char* data, qsizetype length);
inline void WriteRecord(QByteArray& stream, std::uint16_t id, const QByteArray& data) {
    WriteRecord(stream, id, data.constData(), data.size());
}
void WriteRecord16(QByteArray& stream, std::uint16_t id, std::uint16_t value);

// A record whose data is one 16-bit value.
struct Record16 {
    std::uint16_t id;
    std::uint16_t value;
};

template <size_t N>
void WriteRecords16(QByteArray& stream, const Record16 (&records)[N]) {
    for (const Record16& record : records) {
        WriteRecord16(stream, record.id, record.value);
    }
}

}  // namespace vlr::xls
