#pragma once

#include "store/database_location.h"
#include "store/store_error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace vlr::store {

// The one connection to the database (a local file, or a database on a PostgreSQL server) on
// which every statement runs.
class Database {
public:
    static QString fileName() { return QStringLiteral("VelaronLink.mdb"); }

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the database file at path. A file that does not exist is created with the schema
    // and the instrument kinds. A file that exists but cannot be used (not a database, unreadable,
    // locked by another program, missing tables) throws StoreError with the reason.
    void open(const QString& path);
    // Opens the location: a file as above, or a server database, whose schema is created when
    // it is empty and checked the same way otherwise. An unreachable server throws StoreError
    // naming it and the reason.
    void open(const DatabaseLocation& location);
    void close();
    bool isOpen() const;
    // The file's path; empty on a server.
    QString path() const { return path_; }
    const DatabaseLocation& location() const { return location_; }
    bool isServer() const { return location_.isServer(); }

    QSqlDatabase connection() const;

    // The station whose received rows and unsaved files the statements' PStation stands for.
    void setStation(const QString& station) { station_ = station; }
    const QString& station() const { return station_; }

    // On a server: opens the connection again when the server dropped it (throws StoreError
    // while it stays away); true when it did, so that statements prepared on the old connection
    // are prepared again. Nothing for a file.
    bool reconnectIfLost() const;
    // A failed statement on this connection as the error to throw: the engine's message; on a
    // server after the server's name, and marked so, when the connection is lost.
    StoreError failure(const QSqlError& error) const;

private:
    void openConnection(const QString& path);
    void useWriteAheadLog();
    void sortInMemory();
    void createSchema();
    void checkUsable();
    void upgradeSchema();

    QString connectionName_;
    QString path_;
    DatabaseLocation location_;
    QString station_;
};

}  // namespace vlr::store
