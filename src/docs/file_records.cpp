#include "docs/file_records.h"

#include "store/database.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/row_cursor.h"
#include "store/store_error.h"
#include "store/text_collation.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace vlr::docs {
namespace {

// Rows read at once when a row is asked for, and rows held: a screenful of rows costs one
// statement, and scrolling back and forth within a few thousand rows costs none. A reader going
// through the rows in order (the report, an export) gets larger windows: each statement is a
// round trip to a server.
constexpr int kWindowRows = 256;
constexpr int kInOrderWindowRows = 4096;
constexpr int kHeldRows = 16 * kWindowRows;

void checkColumn(const QString& field) {
    // Only names of Data's columns reach a statement's text.
    if (!store::dataColumnNames().contains(field))
        throw store::StoreError(QStringLiteral("the records have no field %1").arg(field));
}

QString columnList(const QStringList& fields) {
    QStringList columns{QStringLiteral("[DataId]")};
    for (const QString& field : fields)
        columns << QLatin1Char('[') + field + QLatin1Char(']');
    return columns.join(QStringLiteral(", "));
}

// One sort column: where each record's value stands among the column's values, as the
// database orders them (null first, numbers by value, texts in the one text order, date-times
// by their stored text), so that sorting the records compares integers only.
class SortKey {
public:
    SortKey(const QString& field, bool descending)
        : kind_(store::sortsAsText(field)            ? Kind::Text
                : field == QLatin1String("DateTime") ? Kind::Bytes
                                                     : Kind::Number),
          descending_(descending) {}

    bool descending() const { return descending_; }

    void add(const store::RowCursor& rows, int column) {
        if (rows.isNull(column)) {
            slots_.push_back(-1);
            return;
        }
        switch (kind_) {
            case Kind::Number:
                slots_.push_back(int(numbers_.size()));
                numbers_.push_back(rows.number(column));
                return;
            case Kind::Bytes: {
                // Every value its own, in one block: a date-time rarely repeats.
                const QByteArrayView utf8 = rows.utf8(column);
                slots_.push_back(int(spans_.size()));
                spans_.emplace_back(bytes_.size(), utf8.size());
                bytes_.append(utf8);
                return;
            }
            case Kind::Text:
                break;
        }
        // A text column repeats a few texts: each is collated once.
        const QByteArrayView utf8 = rows.utf8(column);
        const auto known = distinct_.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
        if (known != distinct_.constEnd()) {
            slots_.push_back(known.value());
            return;
        }
        const int slot = int(texts_.size());
        texts_ << QString::fromUtf8(utf8);
        distinct_.insert(QByteArray(utf8.data(), utf8.size()), slot);
        slots_.push_back(slot);
    }

    // Each record's place; equal values share one.
    std::vector<int> ranks() const {
        std::vector<int> ofSlots;
        switch (kind_) {
            case Kind::Number:
                ofSlots = numberRanks();
                break;
            case Kind::Bytes:
                ofSlots = bytesRanks();
                break;
            case Kind::Text:
                ofSlots = store::rankTexts(texts_);
                break;
        }
        std::vector<int> result;
        result.reserve(slots_.size());
        for (int slot : slots_)
            result.push_back(slot < 0 ? -1 : ofSlots[size_t(slot)]);
        return result;
    }

private:
    enum class Kind { Number, Text, Bytes };

    std::vector<int> numberRanks() const {
        std::vector<double> sorted = numbers_;
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        std::vector<int> ranks;
        ranks.reserve(numbers_.size());
        for (double number : numbers_)
            ranks.push_back(
                int(std::lower_bound(sorted.begin(), sorted.end(), number) - sorted.begin()));
        return ranks;
    }

    QByteArrayView span(int slot) const {
        const auto [offset, size] = spans_[size_t(slot)];
        return QByteArrayView(bytes_).sliced(offset, size);
    }

    std::vector<int> bytesRanks() const {
        std::vector<int> order(spans_.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [this](int a, int b) { return span(a) < span(b); });
        std::vector<int> ranks(spans_.size());
        int rank = -1;
        for (size_t place = 0; place < order.size(); ++place) {
            if (place == 0 || span(order[place - 1]) != span(order[place]))
                ++rank;
            ranks[size_t(order[place])] = rank;
        }
        return ranks;
    }

    Kind kind_;
    bool descending_;
    std::vector<int> slots_;  // per record: its value's index, -1 for null
    std::vector<double> numbers_;
    QByteArray bytes_;
    std::vector<std::pair<qsizetype, qsizetype>> spans_;  // offset and size in bytes_
    QStringList texts_;                                   // distinct, as first met
    QHash<QByteArray, int> distinct_;
};

}  // namespace

FileRecords::FileRecords(const store::Database& database, int fileNameId, const RecordOrder& order,
                         const QStringList& fields)
    : database_(database), fileNameId_(fileNameId), fields_(fields) {
    for (const QString& field : fields_)
        checkColumn(field);
    for (int f = 0; f < fields_.size(); ++f)
        readers_.emplace_back(fields_.at(f), f + 1, NumberStorage::Decimal);
    readOrder(order.isEmpty()
                  ? RecordOrder{{QStringLiteral("N"), false}, {QStringLiteral("DateTime"), false}}
                  : order);
}

void FileRecords::readOrder(const RecordOrder& order) {
    QStringList sortFields;
    std::vector<SortKey> keys;
    for (const store::SortColumn& column : order) {
        checkColumn(column.field);
        sortFields << column.field;
        keys.emplace_back(column.field, column.descending);
    }
    const store::Statement statement{
        QStringLiteral("FileRecordKeys"),
        {store::ParamDecl{QStringLiteral("PFileNameId"), store::ParamType::Long, 0, QVariant()}},
        QStringLiteral("select %1\nfrom [Data]\nwhere FileNameId=:PFileNameId")
            .arg(columnList(sortFields)),
        true};
    store::Query query(database_, statement);
    query.set(QStringLiteral("PFileNameId"), fileNameId_);
    store::RowCursor rows(database_, query);
    std::vector<int> ids;
    while (rows.next()) {
        ids.push_back(rows.integer(0));
        for (size_t k = 0; k < keys.size(); ++k)
            keys[k].add(rows, int(k) + 1);
    }

    std::vector<std::vector<int>> ranks;
    for (const SortKey& key : keys)
        ranks.push_back(key.ranks());
    std::vector<int> sorted(ids.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        for (size_t k = 0; k < keys.size(); ++k) {
            const int left = ranks[k][size_t(a)];
            const int right = ranks[k][size_t(b)];
            if (left != right)
                return keys[k].descending() ? left > right : left < right;
        }
        return ids[size_t(a)] < ids[size_t(b)];
    });
    ids_.reserve(ids.size());
    for (int row : sorted)
        ids_.push_back(ids[size_t(row)]);
}

int FileRecords::fieldIndex(const QString& field) const {
    for (int f = 0; f < fields_.size(); ++f) {
        if (fields_.at(f).compare(field, Qt::CaseInsensitive) == 0)
            return f;
    }
    return -1;
}

int FileRecords::rowOfDataId(int dataId) const {
    if (rowsOfIds_.isEmpty()) {
        rowsOfIds_.reserve(qsizetype(ids_.size()));
        for (size_t row = 0; row < ids_.size(); ++row)
            rowsOfIds_.insert(ids_[row], int(row));
    }
    return rowsOfIds_.value(dataId, -1);
}

QVariant FileRecords::value(int row, int field) const {
    if (row < 0 || row >= count() || field < 0 || field >= fields_.size())
        return QVariant();
    const Window& held = window(row);
    return held.values[size_t(row - held.first) * size_t(fields_.size()) + size_t(field)];
}

const FileRecords::Window& FileRecords::window(int row) const {
    for (auto held = windows_.begin(); held != windows_.end(); ++held) {
        if (row >= held->first && row < held->first + held->rows) {
            windows_.splice(windows_.begin(), windows_, held);
            return windows_.front();
        }
    }
    const int first = row / kWindowRows * kWindowRows;
    const bool inOrder =
        !windows_.empty() && windows_.front().first + windows_.front().rows == first;
    const int last = std::min(first + (inOrder ? kInOrderWindowRows : kWindowRows), count());
    QStringList ids;
    QHash<int, int> places;
    for (int at = first; at < last; ++at) {
        ids << QString::number(ids_[size_t(at)]);
        places.insert(ids_[size_t(at)], at - first);
    }
    const store::Statement statement{QStringLiteral("FileRecordsWindow"),
                                     {},
                                     QStringLiteral("select %1\nfrom [Data]\nwhere DataId in (%2);")
                                         .arg(columnList(fields_), ids.join(QStringLiteral(", "))),
                                     true};
    const store::Query query(database_, statement);
    store::RowCursor rows(database_, query);
    const size_t width = size_t(fields_.size());
    Window read{first, last - first, std::vector<QVariant>(size_t(last - first) * width)};
    while (rows.next()) {
        const int place = places.value(rows.integer(0), -1);
        if (place < 0)
            continue;
        for (size_t f = 0; f < width; ++f)
            read.values[size_t(place) * width + f] = readers_[f].read(rows);
    }
    windows_.push_front(std::move(read));
    const auto heldRows = [this] {
        int count = 0;
        for (const Window& held : windows_)
            count += held.rows;
        return count;
    };
    while (windows_.size() > 1 && heldRows() > kHeldRows)
        windows_.pop_back();
    return windows_.front();
}

}  // namespace vlr::docs
