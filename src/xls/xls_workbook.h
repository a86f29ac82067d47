#pragma once

#include "xls/large_array.h"
#include "xls/node_pool.h"
#include "xls/xls_page_setup.h"
#include "xls/xls_style.h"

#include <QDateTime>
#include <QString>
#include <QStringDecoder>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace vlr::xls {

class TvteXLSWorkbook;
class TvteXLSWorksheet;

// What a range's value holds. Short, int, float, double and unsigned char values are number
// cells; everything else is written as text. Other variant types (64-bit and unsigned
// integers, booleans, times, ...) are kept as their standard text, a date alone as a
// date-time at midnight.
// The number types stand together, from Int16 to Byte.
enum class TvteXLSValueType : std::uint8_t {
    Empty,
    Null,
    Int16,
    Int32,
    Single,
    Double,
    Byte,
    DateTime,
    Text,
};

enum class TvteXLSCellKind : std::uint8_t { Number, Text };

constexpr bool isNumberType(TvteXLSValueType type) {
    return type >= TvteXLSValueType::Int16 && type <= TvteXLSValueType::Byte;
}

// A handle to one range of a worksheet. It stays valid until a later GetRange removes the
// range (an intersecting, different rectangle) or the worksheet is freed.
class TvteXLSRange {
public:
    TvteXLSRange() = default;

    TvteXLSWorksheet* Worksheet() const { return sheet_; }
    // Inline below: a save reads them for every cell.
    std::int32_t Left() const;
    std::int32_t Top() const;
    std::int32_t Right() const;
    std::int32_t Bottom() const;
    bool coversOneCell() const;

    // Text (QString or UTF-8 QByteArray) gets every CR LF replaced by LF.
    void SetValue(const QVariant& value);
    // What SetValue does with an int, a double, a text and a date-time, for callers that hold
    // the value itself: a large export then makes no QVariant per cell. An invalid date gives
    // an empty text, as in SetValue.
    void SetInteger(int value);
    void SetDouble(double value);
    void SetText(QStringView text);
    void SetUtf8Text(QByteArrayView utf8);  // as SetValue with a QByteArray
    void SetDateTime(const QDate& date, const QTime& time);
    QVariant Value() const;
    TvteXLSValueType ValueType() const;
    TvteXLSCellKind CellKind() const;
    double Number() const;  // the value of a number cell
    QString Text() const;   // the text of a text cell; empty for empty and null values
    // The same text without copying stored text; other values are formatted into scratch.
    QStringView textView(QString& scratch) const;

    TvteXLSCellStyle Style() const;
    void SetStyle(const TvteXLSCellStyle& style);
    std::uint32_t StyleIndex() const;  // into the workbook's style table

    // Unique among the live ranges of the sheet and below TvteXLSWorksheet::SlotCount().
    std::uint32_t Slot() const { return slot_; }

    bool operator==(const TvteXLSRange& other) const {
        return sheet_ == other.sheet_ && slot_ == other.slot_;
    }
    bool operator!=(const TvteXLSRange& other) const { return !(*this == other); }

private:
    friend class TvteXLSWorksheet;
    TvteXLSRange(TvteXLSWorksheet* sheet, std::uint32_t slot) : sheet_(sheet), slot_(slot) {}

    TvteXLSWorksheet* sheet_ = nullptr;
    std::uint32_t slot_ = 0;
};

class TvteXLSWorksheet {
public:
    TvteXLSWorksheet(TvteXLSWorkbook* workbook, const QString& name);
    TvteXLSWorksheet(const TvteXLSWorksheet&) = delete;
    TvteXLSWorksheet& operator=(const TvteXLSWorksheet&) = delete;

    TvteXLSWorkbook* Workbook() const { return workbook_; }
    int SheetIndex() const;

    const QString& Name() const { return name_; }
    void SetName(const QString& name);  // first 31 characters, then trimmed

    TvteXLSPageSetup& PageSetup() { return pageSetup_; }
    const TvteXLSPageSetup& PageSetup() const { return pageSetup_; }

    // Bounds of every rectangle ever asked for; -1 while none was.
    std::int32_t MinCol() const { return minCol_; }
    std::int32_t MinRow() const { return minRow_; }
    std::int32_t MaxCol() const { return maxCol_; }
    std::int32_t MaxRow() const { return maxRow_; }
    std::int32_t MaxRangeHeight() const { return maxRangeHeight_; }

    // The range with exactly this rectangle, created when missing; ranges that intersect it
    // in any other way are removed.
    TvteXLSRange GetRange(std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom);

    int RangeCount() const { return rangeCount_; }
    // Ranges ordered by Top, ranges of equal Top in the order they were created.
    std::vector<TvteXLSRange> Ranges() const;
    template <typename Visit>
    void forEachRange(Visit&& visit) const {
        // Handles carry a sheet they may change; the visitors of a const sheet only read.
        auto* self = const_cast<TvteXLSWorksheet*>(this);
        for (const auto& bucket : byTop_) {
            for (std::uint32_t slot = bucket.second.first; slot != kNoSlot;
                 slot = nextInBucket_[slot]) {
                visit(TvteXLSRange(self, slot));
            }
        }
    }
    // The ranges reaching row r, ordered by Left; out is cleared first.
    void rangesCoveringRow(std::int32_t row, std::vector<TvteXLSRange>& out) const;
    std::uint32_t SlotCount() const { return static_cast<std::uint32_t>(ranges_.size()); }

private:
    friend class TvteXLSRange;

    struct TextSpan {
        std::uint32_t offset;
        std::uint32_t length;
    };
    // One range in 32 bytes: the style is shared, text lives in the sheet's text pool.
    struct RangeData {
        std::int32_t left, top, right, bottom;
        std::uint32_t style;
        TvteXLSValueType type;
        union {
            double number;
            std::int64_t localMsecs;  // date-time without time zone: Julian day * 86400000 + ms
            TextSpan text;
        };
    };

    bool intersects(const RangeData& range, std::int32_t left, std::int32_t top, std::int32_t right,
                    std::int32_t bottom) const;
    std::uint32_t createRange(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom);
    void releaseSlot(std::uint32_t slot);
    // The ordered range list, kept as one bucket per Top holding its ranges in insertion
    // order. Walking the buckets in key order visits exactly the list ordered by Top with ties
    // in insertion order; bisecting the list for the first Top at least a key is lower_bound
    // on the buckets, and inserting after the last range of equal Top is appending to its
    // bucket. So the ordered search sees the same ranges in the same order and gives the same
    // results, while an insertion in the middle costs a map lookup instead of moving the
    // list's tail (filling a sheet column by column stays linear). A bucket is a list linked
    // through nextInBucket_, so a new row costs one node from the pool and nothing else.
    static constexpr std::uint32_t kNoSlot = 0xFFFFFFFF;
    struct Bucket {
        std::uint32_t first = kNoSlot;
        std::uint32_t last = kNoSlot;
    };
    using Buckets = std::map<std::int32_t, Bucket, std::less<std::int32_t>,
                             PoolAllocator<std::pair<const std::int32_t, Bucket>>>;
    // The first bucket whose Top is at least top.
    Buckets::iterator bucketFrom(std::int32_t top);
    void appendToBucket(Bucket& bucket, std::uint32_t slot);
    void recomputeMaxRangeHeight();
    void widenBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // Store text with every CR LF replaced by LF.
    TextSpan storeText(QStringView text);
    TextSpan storeUtf8Text(QByteArrayView utf8);
    TextSpan keepStoredText(std::size_t offset);
    QStringView storedText(TextSpan span) const;

    TvteXLSWorkbook* workbook_;
    QString name_;
    TvteXLSPageSetup pageSetup_;
    std::int32_t minCol_ = -1;
    std::int32_t minRow_ = -1;
    std::int32_t maxCol_ = -1;
    std::int32_t maxRow_ = -1;
    std::int32_t maxRangeHeight_ = 0;
    // No live range reaching row maxRow_ ends right of this column.
    std::int32_t rightmostAtMaxRow_ = -1;

    RangeData& data(std::uint32_t slot) { return ranges_[slot]; }
    const RangeData& data(std::uint32_t slot) const { return ranges_[slot]; }
    LargeArray<RangeData> ranges_;            // by slot
    std::vector<std::uint32_t> freeSlots_;    // slots of removed ranges, reused first
    LargeArray<std::uint32_t> nextInBucket_;  // by slot: the next range of equal Top
    NodePool bucketNodes_;                    // before byTop_, which draws on it
    Buckets byTop_;
    Buckets::iterator lastBucket_;  // where the last range went; end() when none
    int rangeCount_ = 0;
    std::map<std::int64_t, int> heightCounts_;  // ranges per height, to recompute the maximum
    QStringDecoder utf8Decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    LargeArray<char16_t> textPool_;  // every text value, back to back
};

inline std::int32_t TvteXLSRange::Left() const {
    return sheet_->data(slot_).left;
}
inline std::int32_t TvteXLSRange::Top() const {
    return sheet_->data(slot_).top;
}
inline std::int32_t TvteXLSRange::Right() const {
    return sheet_->data(slot_).right;
}
inline std::int32_t TvteXLSRange::Bottom() const {
    return sheet_->data(slot_).bottom;
}
inline bool TvteXLSRange::coversOneCell() const {
    const auto& range = sheet_->data(slot_);
    return range.left == range.right && range.top == range.bottom;
}
inline TvteXLSValueType TvteXLSRange::ValueType() const {
    return sheet_->data(slot_).type;
}
inline TvteXLSCellKind TvteXLSRange::CellKind() const {
    return isNumberType(ValueType()) ? TvteXLSCellKind::Number : TvteXLSCellKind::Text;
}
inline double TvteXLSRange::Number() const {
    const auto& range = sheet_->data(slot_);
    return isNumberType(range.type) ? range.number : 0.0;
}
inline std::uint32_t TvteXLSRange::StyleIndex() const {
    return sheet_->data(slot_).style;
}

class TvteXLSWorkbook {
public:
    TvteXLSWorkbook();
    ~TvteXLSWorkbook();
    TvteXLSWorkbook(const TvteXLSWorkbook&) = delete;
    TvteXLSWorkbook& operator=(const TvteXLSWorkbook&) = delete;

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);  // first 66 characters, then trimmed

    TvteXLSWorksheet& AddSheet();
    int SheetCount() const { return static_cast<int>(sheets_.size()); }
    TvteXLSWorksheet& Sheet(int index) { return *sheets_.at(static_cast<size_t>(index)); }
    const TvteXLSWorksheet& Sheet(int index) const {
        return *sheets_.at(static_cast<size_t>(index));
    }
    int IndexOf(const TvteXLSWorksheet* sheet) const;

    TvteXLSStyleTable& Styles() { return styles_; }
    const TvteXLSStyleTable& Styles() const { return styles_; }

private:
    QString title_ = QStringLiteral("Quorvel");
    std::vector<std::unique_ptr<TvteXLSWorksheet>> sheets_;
    TvteXLSStyleTable styles_;
};

// Keeps the first maxLength UTF-16 code units (never half of a surrogate pair), then removes
// leading and trailing blanks and control characters.
QString limitedTrimmedName(const QString& text, int maxLength);

}  // namespace vlr::xls
