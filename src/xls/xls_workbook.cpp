#include "xls/xls_workbook.h"

#include <algorithm>
#include <limits>

namespace vlr::xls {

QString limitedTrimmedName(const QString& text, int maxLength) {
    qsizetype length = std::min<qsizetype>(text.size(), maxLength);
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate()) {
        --length;  // half a character would be an invalid text in the file
    }
    qsizetype begin = 0;
    while (begin < length && text.at(begin).unicode() <= 0x20) {
        ++begin;
    }
    while (length > begin && text.at(length - 1).unicode() <= 0x20) {
        --length;
    }
    return text.mid(begin, length - begin);
}

// ---- worksheet -------------------------------------------------------------------------------

TvteXLSWorksheet::TvteXLSWorksheet(TvteXLSWorkbook* workbook, const QString& name)
    : workbook_(workbook),
      name_(name),
      byTop_(Buckets::key_compare(), Buckets::allocator_type(&bucketNodes_)),
      lastBucket_(byTop_.end()) {}

int TvteXLSWorksheet::SheetIndex() const {
    return workbook_ ? workbook_->IndexOf(this) : -1;
}

void TvteXLSWorksheet::SetName(const QString& name) {
    name_ = limitedTrimmedName(name, 31);
}

bool TvteXLSWorksheet::intersects(const RangeData& range, std::int32_t left, std::int32_t top,
                                  std::int32_t right, std::int32_t bottom) const {
    return range.left <= right && left <= range.right && range.top <= bottom && top <= range.bottom;
}

TvteXLSRange TvteXLSWorksheet::GetRange(std::int32_t left, std::int32_t top, std::int32_t right,
                                        std::int32_t bottom) {
    // No range starting above the search key can reach row top, since MaxRangeHeight bounds
    // every range's height.
    const std::int64_t key64 = std::int64_t{top} - maxRangeHeight_ + 1;
    const auto key = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        key64, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    const bool keyBeyondInt = key64 > std::numeric_limits<std::int32_t>::max();

    bool found = false;
    bool removed = false;
    std::uint32_t result = 0;
    // A rectangle below or to the right of everything asked for so far meets no range: a
    // sheet filled row by row, left to right, skips the search.
    // (MaxRow is a true bound only once it is not negative.)
    const bool beyondAll =
        rangeCount_ == 0 ||
        (maxRow_ >= 0 && (top > maxRow_ || (top == maxRow_ && left > rightmostAtMaxRow_)));
    auto bucket = keyBeyondInt || beyondAll ? byTop_.end() : bucketFrom(key);
    while (bucket != byTop_.end() && bucket->first <= bottom) {
        Bucket& members = bucket->second;
        std::uint32_t previous = kNoSlot;
        for (std::uint32_t slot = members.first; slot != kNoSlot;) {
            const std::uint32_t following = nextInBucket_[slot];
            const RangeData& range = data(slot);
            if (range.left == left && range.top == top && range.right == right &&
                range.bottom == bottom) {
                found = true;
                result = slot;
                previous = slot;
            } else if (intersects(range, left, top, right, bottom)) {
                releaseSlot(slot);
                (previous == kNoSlot ? members.first : nextInBucket_[previous]) = following;
                if (members.last == slot) {
                    members.last = previous;
                }
                removed = true;
            } else {
                previous = slot;
            }
            slot = following;
        }
        if (members.first == kNoSlot) {
            if (bucket == lastBucket_) {
                lastBucket_ = byTop_.end();
            }
            bucket = byTop_.erase(bucket);
        } else {
            ++bucket;
        }
    }

    if (!found) {
        // Appending to the bucket of top puts the range after every range of equal Top and
        // before every range of greater Top.
        result = createRange(left, top, right, bottom);
        auto target = bucketFrom(top);
        if (target == byTop_.end() || target->first != top) {
            target = byTop_.emplace_hint(target, top, Bucket{});
        }
        appendToBucket(target->second, result);
        lastBucket_ = target;
    }

    const std::int64_t height = std::int64_t{bottom} - top + 1;
    if (removed) {
        recomputeMaxRangeHeight();
    } else if (height > maxRangeHeight_) {
        maxRangeHeight_ = static_cast<std::int32_t>(
            std::min<std::int64_t>(height, std::numeric_limits<std::int32_t>::max()));
    }
    widenBounds(left, top, right, bottom);
    return TvteXLSRange(this, result);
}

TvteXLSWorksheet::Buckets::iterator TvteXLSWorksheet::bucketFrom(std::int32_t top) {
    // Cells come row by row, so the bucket used last is nearly always the one asked for.
    if (lastBucket_ != byTop_.end() && lastBucket_->first == top) {
        return lastBucket_;
    }
    return byTop_.lower_bound(top);
}

void TvteXLSWorksheet::appendToBucket(Bucket& bucket, std::uint32_t slot) {
    nextInBucket_[slot] = kNoSlot;
    (bucket.last == kNoSlot ? bucket.first : nextInBucket_[bucket.last]) = slot;
    bucket.last = slot;
}

std::uint32_t TvteXLSWorksheet::createRange(std::int32_t left, std::int32_t top, std::int32_t right,
                                            std::int32_t bottom) {
    std::uint32_t slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slot = static_cast<std::uint32_t>(ranges_.size());
        ranges_.grow(1);
        nextInBucket_.grow(1);
    }
    RangeData& range = data(slot);
    range.left = left;
    range.top = top;
    range.right = right;
    range.bottom = bottom;
    range.style = 0;
    range.type = TvteXLSValueType::Empty;
    range.localMsecs = 0;
    ++heightCounts_[std::int64_t{bottom} - top + 1];
    ++rangeCount_;
    return slot;
}

void TvteXLSWorksheet::releaseSlot(std::uint32_t slot) {
    const RangeData& range = data(slot);
    const auto height = heightCounts_.find(std::int64_t{range.bottom} - range.top + 1);
    if (--height->second == 0) {
        heightCounts_.erase(height);
    }
    freeSlots_.push_back(slot);
    --rangeCount_;
}

void TvteXLSWorksheet::recomputeMaxRangeHeight() {
    std::int64_t largest = 1;
    if (!heightCounts_.empty()) {
        largest = std::max<std::int64_t>(largest, heightCounts_.rbegin()->first);
    }
    maxRangeHeight_ = static_cast<std::int32_t>(
        std::min<std::int64_t>(largest, std::numeric_limits<std::int32_t>::max()));
}

void TvteXLSWorksheet::widenBounds(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom) {
    if (minCol_ == -1 || minCol_ > left) {
        minCol_ = left;
    }
    if (minRow_ == -1 || minRow_ > top) {
        minRow_ = top;
    }
    if (maxCol_ == -1 || maxCol_ < right) {
        maxCol_ = right;
    }
    if (maxRow_ == -1 || maxRow_ < bottom) {
        maxRow_ = bottom;
        rightmostAtMaxRow_ = right;
    } else if (maxRow_ == bottom) {
        rightmostAtMaxRow_ = std::max(rightmostAtMaxRow_, right);
    }
}

std::vector<TvteXLSRange> TvteXLSWorksheet::Ranges() const {
    std::vector<TvteXLSRange> ranges;
    ranges.reserve(static_cast<size_t>(rangeCount_));
    forEachRange([&ranges](const TvteXLSRange& range) { ranges.push_back(range); });
    return ranges;
}

void TvteXLSWorksheet::rangesCoveringRow(std::int32_t row, std::vector<TvteXLSRange>& out) const {
    out.clear();
    auto* self = const_cast<TvteXLSWorksheet*>(this);
    const std::int64_t firstTop = std::int64_t{row} - maxRangeHeight_ + 1;
    auto bucket = firstTop < std::numeric_limits<std::int32_t>::min()
                      ? byTop_.begin()
                      : byTop_.lower_bound(static_cast<std::int32_t>(firstTop));
    for (; bucket != byTop_.end() && bucket->first <= row; ++bucket) {
        for (std::uint32_t slot = bucket->second.first; slot != kNoSlot;
             slot = nextInBucket_[slot]) {
            if (data(slot).bottom >= row) {
                out.push_back(TvteXLSRange(self, slot));
            }
        }
    }
    const auto byLeft = [](const TvteXLSRange& a, const TvteXLSRange& b) {
        return a.Left() < b.Left();
    };
    // A sheet filled left to right already gives its ranges in column order; the stable sort
    // would take a buffer from the heap on every row of a large sheet.
    if (!std::is_sorted(out.begin(), out.end(), byLeft)) {
        std::stable_sort(out.begin(), out.end(), byLeft);
    }
}

TvteXLSWorksheet::TextSpan TvteXLSWorksheet::storeText(QStringView text) {
    const size_t offset = textPool_.size();
    textPool_.append(text.utf16(), static_cast<size_t>(text.size()));
    return keepStoredText(offset);
}

TvteXLSWorksheet::TextSpan TvteXLSWorksheet::storeUtf8Text(QByteArrayView utf8) {
    const size_t offset = textPool_.size();
    // A text never has more UTF-16 code units than UTF-8 bytes.
    auto* out = reinterpret_cast<QChar*>(textPool_.grow(static_cast<size_t>(utf8.size())));
    const QChar* end = utf8Decoder_.appendToBuffer(out, utf8);
    textPool_.truncate(offset + static_cast<size_t>(end - out));
    return keepStoredText(offset);
}

// The text just appended to the pool from offset on, with every CR LF replaced by LF in place.
TvteXLSWorksheet::TextSpan TvteXLSWorksheet::keepStoredText(size_t offset) {
    char16_t* const first = textPool_.data() + offset;
    char16_t* const last = textPool_.data() + textPool_.size();
    char16_t* kept = std::find(first, last, u'\r');
    for (const char16_t* unit = kept; unit != last; ++unit) {
        if (!(*unit == u'\r' && unit + 1 != last && unit[1] == u'\n'))
            *kept++ = *unit;
    }
    textPool_.truncate(static_cast<size_t>(kept - textPool_.data()));
    return TextSpan{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(kept - first)};
}

QStringView TvteXLSWorksheet::storedText(TextSpan span) const {
    return QStringView(textPool_.data() + span.offset, span.length);
}

// ---- workbook --------------------------------------------------------------------------------

TvteXLSWorkbook::TvteXLSWorkbook() = default;
TvteXLSWorkbook::~TvteXLSWorkbook() = default;

void TvteXLSWorkbook::SetTitle(const QString& title) {
    title_ = limitedTrimmedName(title, 66);
}

TvteXLSWorksheet& TvteXLSWorkbook::AddSheet() {
    int number = SheetCount() + 1;
    const auto taken = [this](const QString& name) {
        return std::any_of(sheets_.begin(), sheets_.end(), [&name](const auto& sheet) {
            return sheet->Name().compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    while (taken(QStringLiteral("Sheet%1").arg(number))) {
        ++number;
    }
    sheets_.push_back(
        std::make_unique<TvteXLSWorksheet>(this, QStringLiteral("Sheet%1").arg(number)));
    return *sheets_.back();
}

int TvteXLSWorkbook::IndexOf(const TvteXLSWorksheet* sheet) const {
    for (size_t i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].get() == sheet) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace vlr::xls
