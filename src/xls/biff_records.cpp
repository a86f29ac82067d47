#include "xls/biff_records.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vlr::xls {

void appendU8(QByteArray& out, std::uint8_t value) {
    out.append(static_cast<char>(value));
}

void appendU16(QByteArray& out, std::uint16_t value) {
    const std::uint16_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void appendU32(QByteArray& out, std::uint32_t value) {
    const std::uint32_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

void appendDouble(QByteArray& out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint64_t le = qToLittleEndian(bits);
    out.append(reinterpret_cast<const char*>(&le), 8);
}

void appendUtf16(QByteArray& out, const QString& text) {
    const qsizetype start = out.size();
    out.resize(start + 2 * text.size());
    qToLittleEndian<std::uint16_t>(text.utf16(), text.size(), out.data() + start);
}

void appendUnicodeString16(QByteArray& out, const QString& text) {
    appendU16(out, static_cast<std::uint16_t>(text.size()));
    appendU8(out, 1);
    appendUtf16(out, text);
}

void appendHex(QByteArray& out, const char* hex) {
    out.append(QByteArray::fromHex(hex));
}

void WriteRecord(QByteArray& stream, std::uint16_t id, const char* data, qsizetype length) {
    qsizetype done = 0;
    do {
        const qsizetype piece = std::min<qsizetype>(length - done, biff::kMaxRecordData);
        appendU16(stream, done == 0 ? id : biff::kContinue);
        appendU16(stream, static_cast<std::uint16_t>(piece));
        stream.append(data + done, piece);
        done += piece;
    } while (done < length);
}

void WriteRecord16(QByteArray& stream, std::uint16_t id, std::uint16_t value) {
    QByteArray data;
    appendU16(data, value);
    WriteRecord(stream, id, data);
}

}  // namespace vlr::xls
