#pragma once

#include <QString>

namespace vlr::store {

// Where the program keeps its data: a local database file, or a database on a PostgreSQL server
// given by a libpq connection URI. A location never holds a password: libpq finds it itself
// (~/.pgpass, PGPASSFILE, PGPASSWORD) or the server needs none (peer, trust).
struct DatabaseLocation {
    QString filePath;  // the local file; empty for a server
    QString url;       // the server's URI as given; empty for a local file
    // The URI's parts as Qt's PostgreSQL driver takes them.
    QString host;  // a name, an address, or the folder of a Unix socket
    int port = -1;
    QString user;
    QString databaseName;
    QString connectOptions;  // the other parameters, "sslmode=require;connect_timeout=10"

    bool isServer() const { return !url.isEmpty(); }
    // What the user is shown: the file's path, or "database on server".
    QString description() const;

    static DatabaseLocation file(const QString& path);
};

// Reads a location typed by the user: "postgresql://..." or "postgres://..." is a server, any
// other text a file path. A malformed URI, or one that carries a password, throws StoreError with
// the text for the user.
DatabaseLocation parseDatabaseLocation(const QString& text);

}  // namespace vlr::store
