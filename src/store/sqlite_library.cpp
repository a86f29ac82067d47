#include "store/sqlite_library.h"

#include "store/store_error.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace vlr::store {
namespace {

// What the driver's SQLite reports of itself, asked on a scratch connection in memory.
QString driverSqliteIdentity() {
    const QString name = QStringLiteral("vlr-sqlite-identity");
    QString identity;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(
                    QStringLiteral("SELECT sqlite_version() || ' ' || sqlite_source_id()")) &&
                query.next())
                identity = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return identity;
}

}  // namespace

bool driverSharesSqliteLibrary() {
    static const bool shared = driverSqliteIdentity() == QString::fromUtf8(sqlite3_libversion()) +
                                                             QLatin1Char(' ') +
                                                             QString::fromUtf8(sqlite3_sourceid());
    return shared;
}

sqlite3* sqliteHandle(const QSqlDatabase& connection) {
    // The one door to direct calls: on a driver with a SQLite of its own, none is sound.
    if (!driverSharesSqliteLibrary())
        throw StoreError(QStringLiteral("the database driver runs a SQLite library of its own"));
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw StoreError(QStringLiteral("the database connection is not an open SQLite one"));
    sqlite3* result = *static_cast<sqlite3* const*>(handle.constData());
    if (!result)
        throw StoreError(QStringLiteral("the database is not open"));
    return result;
}

}  // namespace vlr::store
