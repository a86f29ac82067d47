#pragma once

#include "docs/record_values.h"
#include "store/statements.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <list>
#include <vector>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// The order of a file's records: the sorted columns in the grid's column order; none means
// N, then DateTime. Records equal in every sorted column follow their DataId.
using RecordOrder = QVector<store::SortColumn>;

// The one reader of a file's records, for the document window's grid, the report and the
// export alike, so that all three show the same rows in the same order with the same values.
// Opening reads only the records' ids and sort keys and orders them in memory, texts in the
// one text order (store/text_collation.h) exactly as the search statement of the order sorts
// them; the fields of the records are read when asked, a window of rows at a time, by the
// rules of FieldReader. A file of 65,535 records thus opens and re-sorts in milliseconds.
class FileRecords {
public:
    // Throws store::StoreError when the records cannot be read, or when a field of the order
    // or of fields is no column of Data.
    FileRecords(const store::Database& database, int fileNameId, const RecordOrder& order,
                const QStringList& fields);

    int count() const { return int(ids_.size()); }
    const QStringList& fields() const { return fields_; }
    int fieldIndex(const QString& field) const;  // -1 when not among fields()

    int dataId(int row) const { return ids_[size_t(row)]; }
    int rowOfDataId(int dataId) const;  // -1 when the file has no such record

    // The value of fields()[field] in the row, read with its window of rows when not yet held.
    // Null for a record removed since the order was read. Throws store::StoreError when the
    // rows cannot be read.
    QVariant value(int row, int field) const;

private:
    struct Window {
        int first;
        int rows;
        std::vector<QVariant> values;  // row by row, fields() in each
    };

    void readOrder(const RecordOrder& order);
    const Window& window(int row) const;

    const store::Database& database_;
    int fileNameId_;
    QStringList fields_;
    std::vector<int> ids_;
    mutable QHash<int, int> rowsOfIds_;
    mutable std::vector<FieldReader> readers_;
    mutable std::list<Window> windows_;  // the most recently used first
};

}  // namespace vlr::docs
