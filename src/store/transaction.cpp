#include "store/transaction.h"

#include "store/database.h"
#include "store/query.h"
#include "store/server_connection.h"
#include "store/sqlite_library.h"
#include "store/store_error.h"

#include <QSqlQuery>

#include <sqlite3.h>

namespace vlr::store {

void beginTransaction(const Database& database) {
    database.reconnectIfLost();
    QSqlDatabase connection = database.connection();
    // A server takes a BEGIN inside a transaction with a warning alone, and the commit meant for
    // this one would end the caller's: there, as on the file, one cannot begin inside another.
    if (database.isServer() && serverTransactionOpen(connection))
        throw StoreError(QStringLiteral("a transaction is already open on this connection"));
    if (!connection.transaction())
        throw database.failure(connection.lastError());
}

bool transactionIntact(const Database& database) {
    if (database.isServer())
        return serverTransactionIntact(database.connection());
    // Without the program's own library the driver's state is all there is.
    if (!driverSharesSqliteLibrary())
        return true;
    return sqlite3_get_autocommit(sqliteHandle(database.connection())) == 0;
}

void commitTransaction(const Database& database) {
    QSqlDatabase connection = database.connection();
    if (!transactionIntact(database)) {
        connection.rollback();
        throw database.isServer() ? database.failure(connection.lastError())
                                  : StoreError(QStringLiteral("the transaction was rolled back"));
    }
    if (!connection.commit()) {
        const StoreError failure = database.failure(connection.lastError());
        connection.rollback();
        throw failure;
    }
}

void rollbackTransaction(const Database& database) {
    database.connection().rollback();
}

namespace {

QSqlQuery prepared(const Database& database, const QString& text) {
    QSqlQuery query(database.connection());
    if (!query.prepare(text))
        throw database.failure(query.lastError());
    return query;
}

}  // namespace

Transaction::Transaction(const Database& database) : database_(database) {
    beginTransaction(database);
    open_ = true;
    if (!database.isServer()) {
        savepoint_ = prepared(database, QStringLiteral("SAVEPOINT vlr_step"));
        release_ = prepared(database, QStringLiteral("RELEASE SAVEPOINT vlr_step"));
        rollbackToSavepoint_ = prepared(database, QStringLiteral("ROLLBACK TO SAVEPOINT vlr_step"));
    }
}

Transaction::~Transaction() {
    if (open_)
        rollbackTransaction(database_);
}

void Transaction::run(QSqlQuery& query) {
    const bool ran = query.exec();
    query.finish();
    if (!ran)
        throw database_.failure(query.lastError());
}

std::optional<int> Transaction::step(Query& query) {
    if (!savepoint_) {
        try {
            return query.exec();
        } catch (const StoreError&) {
            rollbackTransaction(database_);
            open_ = false;
            throw;
        }
    }
    run(*savepoint_);
    std::optional<int> affected;
    try {
        affected = query.exec();
    } catch (const StoreError&) {
        // Without its savepoint the transaction is gone: nothing after this may commit alone.
        try {
            run(*rollbackToSavepoint_);
        } catch (const StoreError&) {
            rollbackTransaction(database_);
            open_ = false;
            throw StoreError(QStringLiteral("the transaction was rolled back"));
        }
    }
    run(*release_);
    return affected;
}

void Transaction::commit() {
    open_ = false;
    commitTransaction(database_);
}

}  // namespace vlr::store
