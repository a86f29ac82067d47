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
    if (!connection.transaction())
        throw StoreError(database.failureText(connection.lastError()));
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
        throw StoreError(database.isServer() ? database.failureText(connection.lastError())
                                             : QStringLiteral("the transaction was rolled back"));
    }
    if (!connection.commit()) {
        const QString message = database.failureText(connection.lastError());
        connection.rollback();
        throw StoreError(message);
    }
}

void rollbackTransaction(const Database& database) {
    database.connection().rollback();
}

Transaction::Transaction(const Database& database) : database_(database) {
    beginTransaction(database);
    open_ = true;
}

Transaction::~Transaction() {
    if (open_)
        rollbackTransaction(database_);
}

void Transaction::run(const char* text) {
    // Not prepared: a server's driver prepares through SQL, which takes no savepoint commands.
    QSqlQuery query(database_.connection());
    if (!query.exec(QString::fromLatin1(text)))
        throw StoreError(database_.failureText(query.lastError()));
}

std::optional<int> Transaction::step(Query& query) {
    run("SAVEPOINT vlr_step");
    std::optional<int> affected;
    try {
        affected = query.exec();
    } catch (const StoreError&) {
        // Without its savepoint the transaction is gone: nothing after this may commit alone.
        try {
            run("ROLLBACK TO SAVEPOINT vlr_step");
        } catch (const StoreError&) {
            rollbackTransaction(database_);
            open_ = false;
            throw StoreError(QStringLiteral("the transaction was rolled back"));
        }
    }
    run("RELEASE SAVEPOINT vlr_step");
    return affected;
}

void Transaction::commit() {
    open_ = false;
    commitTransaction(database_);
}

}  // namespace vlr::store
