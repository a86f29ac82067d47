#pragma once

#include "xls/stream_sink.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace vlr::xls {

// The shared-string table: an SST record with its CONTINUE records, appended straight to the
// stream, and the EXTSST buckets that point at every eighth string.
class SharedStringTable {
public:
    explicit SharedStringTable(StreamSink& sink);

    // Appends a non-empty text; returns its index. Equal texts are not merged.
    std::int32_t add(QStringView text);
    std::uint32_t count() const { return count_; }

    // Closes the last record and fills in the counts.
    void finish();
    QByteArray extSstData() const;

private:
    struct Bucket {
        std::uint32_t position;  // in the stream
        std::uint16_t used;      // the string's offset within its record, header included
    };

    int room() const;
    void grow(int bytes);
    void startContinue(bool withOptionByte);
    void closeRecord();

    StreamSink& sink_;
    QByteArray& buffer_;
    const std::int64_t start_;
    std::int64_t recordStart_;
    int used_ = 0;  // bytes of the current record including its header
    std::uint32_t count_ = 0;
    std::vector<Bucket> buckets_;
};

}  // namespace vlr::xls
