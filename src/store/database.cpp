#include "store/database.h"

#include "store/schema.h"
#include "store/schema_columns.h"
#include "store/server_connection.h"
#include "store/server_schema.h"
#include "store/single_decimal.h"
#include "store/sqlite_library.h"
#include "store/store_error.h"
#include "store/text_collation.h"
#include "store/transaction.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace vlr::store {
namespace {

QString nextConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("vlr-db-%1").arg(counter.fetchAndAddRelaxed(1));
}

void execOrThrow(QSqlQuery& query, const QString& text) {
    if (!query.exec(text))
        throw StoreError(query.lastError().text());
}

bool looksLikeSqlite(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray header = file.read(16);
    return header.size() == 0 || header == QByteArray("SQLite format 3\0", 16);
}

QStringList columnsOf(QSqlQuery& query, const QString& table) {
    execOrThrow(query, QStringLiteral("PRAGMA table_info([%1])").arg(table));
    QStringList columns;
    while (query.next())
        columns << query.value(1).toString();
    query.finish();
    return columns;
}

}  // namespace

Database::Database() : connectionName_(nextConnectionName()) {}

Database::~Database() {
    close();
}

void Database::open(const QString& path) {
    close();
    const bool existed = QFileInfo::exists(path);
    if (existed && !looksLikeSqlite(path))
        throw StoreError(QStringLiteral("%1 is not a database of this program").arg(path));

    location_ = DatabaseLocation::file(path);
    // Decided before the log is turned on, which gives an empty file its header.
    const bool fresh = !existed || QFileInfo(path).size() == 0;
    openConnection(path);
    try {
        // ADOQuery_CopyRec uses the function, and the statements' orders the collation,
        // exactly when they can be added.
        if (driverSharesSqliteLibrary()) {
            addSingleDecimalFunction(sqliteHandle(connection()));
            addTextCollation(sqliteHandle(connection()));
        }
        useWriteAheadLog();
        sortInMemory();
        if (fresh)
            createSchema();
        checkUsable();
        upgradeSchema();
    } catch (...) {
        close();
        throw;
    }
    path_ = path;
}

void Database::open(const DatabaseLocation& location) {
    if (!location.isServer()) {
        open(location.filePath);
        return;
    }
    close();
    openServerConnection(connectionName_, location);
    location_ = location;
    try {
        prepareServerDatabase(connection(), location);
    } catch (...) {
        close();
        throw;
    }
    path_.clear();
}

bool Database::reconnectIfLost() const {
    return isServer() && store::reconnectIfLost(connection(), location_);
}

StoreError Database::failure(const QSqlError& error) const {
    return isServer() ? serverFailure(connection(), location_) : StoreError(error.text());
}

void Database::openConnection(const QString& path) {
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.setDatabaseName(path);
        // Another process holding a write lock makes statements wait briefly, then fail.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open())
            return;
        failure = db.lastError().text();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    throw StoreError(failure);
}

void Database::close() {
    if (!QSqlDatabase::contains(connectionName_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(connectionName_) &&
           QSqlDatabase::database(connectionName_, false).isOpen();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(connectionName_, false);
}

void Database::useWriteAheadLog() {
    // Each received record is its own transaction: with the write-ahead log and a normal sync a
    // commit costs no flush to disk. A program crash loses nothing committed; a power cut may
    // lose the last commits but never damages the file. The mode stays with the file; the sync
    // level belongs to this connection.
    QSqlQuery query(connection());
    execOrThrow(query, QStringLiteral("PRAGMA journal_mode=WAL"));
    query.finish();
    execOrThrow(query, QStringLiteral("PRAGMA synchronous=NORMAL"));
}

void Database::sortInMemory() {
    // A grid sorted by its titles sorts a file of up to 65,535 records: in memory, with room
    // for the pages it reads (32 MiB), rather than through temporary files.
    QSqlQuery query(connection());
    execOrThrow(query, QStringLiteral("PRAGMA temp_store=MEMORY"));
    execOrThrow(query, QStringLiteral("PRAGMA cache_size=-32768"));
}

void Database::upgradeSchema() {
    // Files made before a column or an index existed gain it here; on a current file this costs
    // nothing.
    QSqlQuery query(connection());
    for (const AddedColumn& column : addedColumns()) {
        if (!columnsOf(query, column.table).contains(column.name, Qt::CaseInsensitive))
            execOrThrow(query, QStringLiteral("ALTER TABLE [%1] ADD COLUMN %2 %3")
                                   .arg(column.table, column.name, column.fileType));
    }
    for (const QString& statement : schemaUpgradeStatements())
        execOrThrow(query, statement);
}

void Database::createSchema() {
    QSqlQuery query(connection());
    beginTransaction(*this);
    try {
        for (const QString& statement : schemaStatements())
            execOrThrow(query, statement);
    } catch (...) {
        rollbackTransaction(*this);
        throw;
    }
    commitTransaction(*this);
}

void Database::checkUsable() {
    // Reading the table list touches the file: a damaged file fails here, not later.
    QSqlQuery query(connection());
    checkSchemaColumns([&](const QString& table) { return columnsOf(query, table); });
    // Every run writes (the clean-up at start): a file another program holds in a write
    // transaction, or that cannot be written at all (read-only, no room for the journal), is
    // unusable now rather than failing at every later statement. The trial row is rolled back.
    execOrThrow(query, QStringLiteral("BEGIN IMMEDIATE"));
    execOrThrow(query, QStringLiteral("INSERT INTO Catalog DEFAULT VALUES"));
    execOrThrow(query, QStringLiteral("ROLLBACK"));
}

}  // namespace vlr::store
