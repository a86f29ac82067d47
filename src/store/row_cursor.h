#pragma once

#include <QByteArrayView>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace vlr::store {

class Database;
class Query;

// Steps through the rows of a statement straight on SQLite's own interface. Values are read
// in place, without a QVariant per value, which matters for row sets of tens of thousands of
// records (the export of a file). The statement and its parameter values are those of a
// Query, so the parameters are converted by their declarations exactly as for QSqlQuery.
// Failures throw StoreError.
class RowCursor {
public:
    RowCursor(const Database& database, const Query& query);
    ~RowCursor();
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    // The column of that name, compared without regard to case; -1 when there is none.
    int columnIndex(const QString& name) const;

    // Moves to the next row; false after the last. A failure while stepping throws, so it
    // never passes for the end of the rows.
    bool next();

    bool isNull(int column) const;
    double number(int column) const;
    int integer(int column) const;
    // The field's text as SQLite holds it, in UTF-8, without a conversion or a copy; valid
    // until the next call of next().
    QByteArrayView utf8(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
    sqlite3* connection_ = nullptr;
    bool finished_ = false;
};

}  // namespace vlr::store
