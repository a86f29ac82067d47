#pragma once

#include "store/row_source.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vlr::store {

class Database;
class Query;

// The rows of a statement stepped straight on SQLite's own interface, through the handle of Qt's
// driver. Values are read in place, without a QVariant per value, which matters for row sets of
// tens of thousands of records (the export of a file). The parameters are bound as QSqlQuery
// binds the Query's converted values. Only for a driver on the program's own SQLite library
// (driverSharesSqliteLibrary()).
class SqliteRows : public RowSource {
public:
    SqliteRows(const Database& database, const Query& query);
    ~SqliteRows() override;
    SqliteRows(const SqliteRows&) = delete;
    SqliteRows& operator=(const SqliteRows&) = delete;

    int columnIndex(const QString& name) const override;
    bool next() override;

    bool isNull(int column) const override;
    double number(int column) const override;
    int integer(int column) const override;
    // SQLite's own text, without a conversion or a copy.
    QByteArrayView utf8(int column) const override;

private:
    sqlite3_stmt* statement_ = nullptr;
    sqlite3* connection_ = nullptr;
    bool finished_ = false;
};

}  // namespace vlr::store
