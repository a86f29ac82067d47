#pragma once

#include "docs/document_kind.h"
#include "store/query.h"
#include "store/row_cursor.h"
#include "store/statement.h"

#include <QByteArrayView>

#include <vector>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// The records of a file as an export reads them: the print statement that takes over the text
// of the window's search statement, so the rows come in the order the window shows, and of
// each row the fields of the kind's exported columns, addressed by column. Throws
// store::StoreError when the rows cannot be read.
class ExportRows {
public:
    ExportRows(const store::Database& database, int fileNameId, const DocumentKind& kind,
               const store::Statement& search);

    bool next() { return rows_.next(); }

    bool isNull(int column) const { return rows_.isNull(field(column)); }
    int integer(int column) const { return rows_.integer(field(column)); }
    double number(int column) const { return rows_.number(field(column)); }
    QByteArrayView utf8(int column) const { return rows_.utf8(field(column)); }

private:
    int field(int column) const { return fields_[size_t(column)]; }

    store::Query print_;
    store::RowCursor rows_;
    std::vector<int> fields_;
};

}  // namespace vlr::docs
