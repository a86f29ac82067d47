#include "store/transaction.h"

#include "store/database.h"
#include "store/server_connection.h"
#include "store/sqlite_library.h"
#include "store/store_error.h"

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

}  // namespace vlr::store
