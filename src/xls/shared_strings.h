#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace vlr::xls {

// The shared-string table: an SST record with its CONTINUE records, assembled in memory, and
// the EXTSST buckets that point at every eighth string.
class SharedStringTable {
public:
    SharedStringTable();

    // Appends a non-empty text; returns its index. Equal texts are not merged.
    std::int32_t add(const QString& text);
    std::uint32_t count() const { return count_; }

    // The SST record and its CONTINUE records, counts filled in.
    const QByteArray& records();
    // EXTSST data for a table written at stream position `position`.
    QByteArray extSstData(std::uint32_t position) const;

private:
    struct Bucket {
        std::uint32_t offset;  // in the records
        std::uint16_t used;    // the string's offset within its record, header included
    };

    int room() const;
    void grow(int bytes);
    void startContinue(bool withOptionByte);
    void closeRecord();

    QByteArray buffer_;
    qsizetype recordStart_ = 0;
    int used_ = 0;  // bytes of the current record including its header
    std::uint32_t count_ = 0;
    std::vector<Bucket> buckets_;
};

}  // namespace vlr::xls
