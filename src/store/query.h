#pragma once

#include "store/statement.h"

#include <QSqlQuery>
#include <QVariantMap>

namespace vlr::store {

class Database;

// Runs one fixed statement on the connection. Parameters are set by name; those left unset
// take their declared default. A value is converted to its parameter's declared type first:
// IEEESingle to the nearest single-precision number, Bit to 0/1, DateTime to the stored text
// (refusing one that is no date-time); a Text longer than its declared size, or a Long/Short out of
// range, fails the statement as it did in the original. Failures throw StoreError.
class Query {
public:
    Query(const Database& database, Statement statement);

    Query& set(const QString& name, const QVariant& value);
    // Sets every parameter back to its declared default (null for most).
    Query& clear();

    // A statement that returns no rows; returns the number of rows affected.
    int exec();
    // A row set: runs it and leaves the cursor before the first row.
    QSqlQuery& open();
    // The key of the row an insert just made, on the same connection; invalid when unknown.
    QVariant lastInsertedKey();

    QSqlQuery& rows() { return query_; }
    const Statement& statement() const { return statement_; }
    // The statement's text as the database's engine takes it.
    const QString& textForEngine() const { return text_; }
    // The converted value of every parameter, defaults included.
    const QVariantMap& values() const { return values_; }

private:
    void run();

    const Database* database_;
    QString text_;  // the statement's text as the engine takes it
    Statement statement_;
    QVariantMap values_;
    QSqlQuery query_;
    QVariant insertedKey_;
    bool prepared_ = false;
};

// Whether a parameter value is bound as null: a null variant, and also a null text (which a
// QVariant holding one does not report as null), as QSqlQuery binds them.
bool boundAsNull(const QVariant& value);

// Converts a value to what a parameter of the given declaration stores; throws StoreError
// when it cannot be held.
QVariant toParameterValue(const ParamDecl& decl, const QVariant& value);

}  // namespace vlr::store
