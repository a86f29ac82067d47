#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace vlr::xls::test {

// One record as it stands in the stream.
struct BiffRecord {
    std::uint16_t id;
    QByteArray data;
    qsizetype offset;  // stream position of the record header
};

// Splits a stream into records; fails the current test on a truncated record.
std::vector<BiffRecord> walkRecords(const QByteArray& stream);

// The records of one substream: from the BOF at or after `from` through its EOF.
std::vector<BiffRecord> substream(const std::vector<BiffRecord>& records, size_t bofIndex);
// Indexes of every BOF record.
std::vector<size_t> bofIndexes(const std::vector<BiffRecord>& records);

std::vector<std::uint16_t> idsOf(const std::vector<BiffRecord>& records);
std::vector<BiffRecord> withId(const std::vector<BiffRecord>& records, std::uint16_t id);

std::uint16_t u16(const QByteArray& data, qsizetype offset);
std::uint32_t u32(const QByteArray& data, qsizetype offset);
double f64(const QByteArray& data, qsizetype offset);
QString utf16(const QByteArray& data, qsizetype offset, qsizetype characters);
QByteArray hex(const char* text);  // "0A 00 ..." as bytes

}  // namespace vlr::xls::test
