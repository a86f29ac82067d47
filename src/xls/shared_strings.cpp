#include "xls/shared_strings.h"

#include "xls/biff_records.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace vlr::xls {

namespace {
constexpr int kRecordLimit = 4 + biff::kMaxRecordData;  // header included
constexpr int kStringsPerBucket = 8;
}  // namespace

SharedStringTable::SharedStringTable(StreamSink& sink)
    : sink_(sink), buffer_(sink.buffer()), start_(sink.position()), recordStart_(sink.position()) {
    appendU16(buffer_, biff::kSst);
    appendU16(buffer_, 0);
    appendU32(buffer_, 0);  // total count, filled at the end
    appendU32(buffer_, 0);  // unique count
    used_ = 12;
}

int SharedStringTable::room() const {
    return kRecordLimit - used_;
}

void SharedStringTable::grow(int bytes) {
    used_ += bytes;
}

void SharedStringTable::closeRecord() {
    const auto length = static_cast<std::uint16_t>(sink_.position() - recordStart_ - 4);
    const std::uint16_t le = qToLittleEndian(length);
    sink_.patch(recordStart_ + 2, reinterpret_cast<const char*>(&le), sizeof le);
}

void SharedStringTable::startContinue(bool withOptionByte) {
    closeRecord();
    recordStart_ = sink_.position();
    appendU16(buffer_, biff::kContinue);
    appendU16(buffer_, 0);
    used_ = 4;
    if (withOptionByte) {
        appendU8(buffer_, 1);  // the continued characters are uncompressed UTF-16
        used_ = 5;
    }
}

std::int32_t SharedStringTable::add(QStringView text) {
    const auto index = static_cast<std::int32_t>(count_++);
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype unitCount = text.size();
    const auto isHigh = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    const auto splitsPair = [&](qsizetype unitsBefore) {
        return unitsBefore > 0 && unitsBefore < unitCount && isHigh(units[unitsBefore - 1]) &&
               isLow(units[unitsBefore]);
    };

    // The header stays with the string's first character: the whole of it, even when that
    // character is a surrogate pair.
    const int firstCharBytes = splitsPair(1) ? 4 : 2;
    if (room() < 3 + firstCharBytes) {
        startContinue(false);
    }
    if (index % kStringsPerBucket == 0) {
        buckets_.push_back(Bucket{static_cast<std::uint32_t>(sink_.position()),
                                  static_cast<std::uint16_t>(used_)});
    }
    appendU16(buffer_, static_cast<std::uint16_t>(unitCount));
    appendU8(buffer_, 1);
    grow(3);

    qsizetype done = 0;  // code units written
    while (done < unitCount) {
        qsizetype pieceUnits = std::min<qsizetype>(unitCount - done, room() / 2);
        // A piece never ends between the halves of a surrogate pair: readers would lose
        // the character or the cell.
        if (splitsPair(done + pieceUnits)) {
            --pieceUnits;
        }
        const qsizetype start = buffer_.size();
        buffer_.resize(start + 2 * pieceUnits);
        qToLittleEndian<std::uint16_t>(units + done, pieceUnits, buffer_.data() + start);
        grow(static_cast<int>(2 * pieceUnits));
        done += pieceUnits;
        if (done < unitCount && room() <= 4) {
            startContinue(true);
        }
    }
    sink_.passOnIfFull();
    return index;
}

void SharedStringTable::finish() {
    closeRecord();
    sink_.patchU32(start_ + 4, count_);
    sink_.patchU32(start_ + 8, count_);
}

QByteArray SharedStringTable::extSstData() const {
    QByteArray data;
    data.reserve(2 + 8 * static_cast<qsizetype>(buckets_.size()));
    appendU16(data, kStringsPerBucket);
    for (const Bucket& bucket : buckets_) {
        appendU32(data, bucket.position);
        appendU16(data, bucket.used);
        appendU16(data, 0);
    }
    return data;
}

}  // namespace vlr::xls
