#include "xls/biff_walker.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstring>

namespace vlr::xls::test {

std::vector<BiffRecord> walkRecords(const QByteArray& stream) {
    std::vector<BiffRecord> records;
    qsizetype offset = 0;
    while (offset < stream.size()) {
        if (offset + 4 > stream.size()) {
            ADD_FAILURE() << "truncated record header at " << offset;
            break;
        }
        const std::uint16_t id = u16(stream, offset);
        const std::uint16_t length = u16(stream, offset + 2);
        if (offset + 4 + length > stream.size()) {
            ADD_FAILURE() << "record 0x" << std::hex << id << " runs past the stream end";
            break;
        }
        records.push_back(BiffRecord{id, stream.mid(offset + 4, length), offset});
        offset += 4 + length;
    }
    return records;
}

std::vector<size_t> bofIndexes(const std::vector<BiffRecord>& records) {
    std::vector<size_t> indexes;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].id == 0x0809) {
            indexes.push_back(i);
        }
    }
    return indexes;
}

std::vector<BiffRecord> substream(const std::vector<BiffRecord>& records, size_t bofIndex) {
    std::vector<BiffRecord> result;
    for (size_t i = bofIndex; i < records.size(); ++i) {
        result.push_back(records[i]);
        if (records[i].id == 0x000A) {
            break;
        }
    }
    return result;
}

std::vector<std::uint16_t> idsOf(const std::vector<BiffRecord>& records) {
    std::vector<std::uint16_t> ids;
    for (const BiffRecord& record : records) {
        ids.push_back(record.id);
    }
    return ids;
}

std::vector<BiffRecord> withId(const std::vector<BiffRecord>& records, std::uint16_t id) {
    std::vector<BiffRecord> result;
    for (const BiffRecord& record : records) {
        if (record.id == id) {
            result.push_back(record);
        }
    }
    return result;
}

std::uint16_t u16(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<std::uint16_t>(data.constData() + offset);
}

std::uint32_t u32(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<std::uint32_t>(data.constData() + offset);
}

double f64(const QByteArray& data, qsizetype offset) {
    const std::uint64_t bits = qFromLittleEndian<std::uint64_t>(data.constData() + offset);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString utf16(const QByteArray& data, qsizetype offset, qsizetype characters) {
    QString text(characters, Qt::Uninitialized);
    for (qsizetype i = 0; i < characters; ++i) {
        text[i] = QChar(u16(data, offset + 2 * i));
    }
    return text;
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

}  // namespace vlr::xls::test
