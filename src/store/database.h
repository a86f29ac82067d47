#pragma once

#include <QSqlDatabase>
#include <QString>

namespace vlr::store {

// The one connection to the database file on which every statement runs.
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
    void close();
    bool isOpen() const;
    QString path() const { return path_; }

    QSqlDatabase connection() const;

private:
    void openConnection(const QString& path);
    void useWriteAheadLog();
    void sortInMemory();
    void createSchema();
    void checkUsable();
    void upgradeSchema();

    QString connectionName_;
    QString path_;
};

}  // namespace vlr::store
