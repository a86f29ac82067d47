#pragma once

#include "store/database_location.h"
#include "store/store_error.h"

#include <QSqlDatabase>
#include <QString>

struct pg_conn;

namespace vlr::store {

// The connection to a PostgreSQL server through Qt's driver. Qt's driver reports a failure's
// text late (with the next statement) or not at all, so the texts and the connection's state
// are read from libpq's handle under it.

// Adds and opens the connection named name; on failure removes it again and throws StoreError
// naming the server and the reason, marked as a lost connection.
void openServerConnection(const QString& name, const DatabaseLocation& location);

// Opens the connection again after the server dropped it; nothing while it is sound. A server
// still away throws StoreError marked as a lost connection.
bool reconnectIfLost(QSqlDatabase connection, const DatabaseLocation& location);

// The last failure on the connection: the server's text, or when the connection is lost, that
// text after the server's name and marked as a lost connection.
StoreError serverFailure(const QSqlDatabase& connection, const DatabaseLocation& location);

// Whether a transaction is open and no statement in it has failed (which would have made the
// server refuse everything up to the rollback).
bool serverTransactionIntact(const QSqlDatabase& connection);
// Whether a transaction is open, whole or failed.
bool serverTransactionOpen(const QSqlDatabase& connection);

// libpq's connection under the driver, for reading rows without it; null when there is none.
pg_conn* serverHandle(const QSqlDatabase& connection);

// The server's version text: "PostgreSQL 15.20".
QString serverVersion(const QSqlDatabase& connection);

}  // namespace vlr::store
