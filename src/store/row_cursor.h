#pragma once

#include "store/query.h"
#include "store/row_source.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace vlr::store {

class Database;

// Steps through the rows of a statement with its values read in place, without a QVariant per
// value, which matters for row sets of tens of thousands of records (the export of a file). The
// statement and its parameter values are those of a Query, so the parameters are converted by
// their declarations exactly as for QSqlQuery. A local file's rows are stepped on SQLite's own
// interface (SqliteRows); when Qt's driver runs on a SQLite library of its own
// (driverSharesSqliteLibrary()), or when asked to, through the driver instead (DriverRows). A
// server's rows are read straight from libpq (ServerRows). Each gives the values a local file
// holds. Failures throw StoreError.
class RowCursor {
public:
    enum class Reading { Direct, ThroughDriver };

    RowCursor(const Database& database, const Query& query);
    RowCursor(const Database& database, const Query& query, Reading reading);
    ~RowCursor();
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    Reading reading() const { return reading_; }

    // The column of that name, compared without regard to case; -1 when there is none.
    int columnIndex(const QString& name) const { return rows_->columnIndex(name); }
    // Moves to the next row; false after the last. A failure while stepping throws, so it
    // never passes for the end of the rows.
    bool next() { return rows_->next(); }

    bool isNull(int column) const { return rows_->isNull(column); }
    double number(int column) const { return rows_->number(column); }
    int integer(int column) const { return rows_->integer(column); }
    // The field's text in UTF-8; valid until the next call of next().
    QByteArrayView utf8(int column) const { return rows_->utf8(column); }

private:
    std::unique_ptr<RowSource> rows_;
    Reading reading_ = Reading::Direct;
};

}  // namespace vlr::store
