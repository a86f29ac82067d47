#pragma once

#include "store/query.h"
#include "store/server_rows.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vlr::store {

class Database;

// Steps through the rows of a statement straight on SQLite's own interface. Values are read
// in place, without a QVariant per value, which matters for row sets of tens of thousands of
// records (the export of a file). The statement and its parameter values are those of a
// Query, so the parameters are converted by their declarations exactly as for QSqlQuery.
// On a server the rows are read straight from libpq (ServerRows), with the values a local file
// gives. When Qt's driver runs on a SQLite library of its own (driverSharesSqliteLibrary()), or
// when asked to, a local file's rows are read through the driver instead, with the same results.
// Failures throw StoreError.
class RowCursor {
public:
    enum class Reading { Direct, ThroughDriver };

    RowCursor(const Database& database, const Query& query);
    RowCursor(const Database& database, const Query& query, Reading reading);
    ~RowCursor();
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    Reading reading() const { return driverRows_ ? Reading::ThroughDriver : Reading::Direct; }

    // The column of that name, compared without regard to case; -1 when there is none.
    int columnIndex(const QString& name) const;

    // Moves to the next row; false after the last. A failure while stepping throws, so it
    // never passes for the end of the rows.
    bool next();

    bool isNull(int column) const;
    double number(int column) const;
    int integer(int column) const;
    // The field's text in UTF-8; valid until the next call of next(). Read directly, it is
    // SQLite's own text, without a conversion or a copy.
    QByteArrayView utf8(int column) const;

private:
    void prepare(const Query& query);

    const Database* database_;
    sqlite3_stmt* statement_ = nullptr;
    sqlite3* connection_ = nullptr;
    bool finished_ = false;
    std::unique_ptr<ServerRows> serverRows_;
    std::unique_ptr<Query> driverRows_;
    mutable std::vector<QByteArray> driverTexts_;  // this row's texts, as read through the driver
};

}  // namespace vlr::store
