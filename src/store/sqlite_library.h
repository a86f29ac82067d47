#pragma once

#include <QSqlDatabase>

struct sqlite3;

namespace vlr::store {

// The program calls SQLite itself on the connection of Qt's driver (the fast row cursor, the
// SQL functions of the store). That is sound only when the driver runs on the very SQLite
// library the program links; a driver with a SQLite of its own is detected once, by the version
// and source both report, and the program then reads through the driver alone.
bool driverSharesSqliteLibrary();

// The driver's SQLite handle of an open connection, for the store's own direct calls; throws
// StoreError when there is none, or when the driver does not share the program's library.
sqlite3* sqliteHandle(const QSqlDatabase& connection);

}  // namespace vlr::store
