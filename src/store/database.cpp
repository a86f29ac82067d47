#include "store/database.h"

#include "store/schema.h"
#include "store/store_error.h"

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

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db.setDatabaseName(path);
    // Another process holding a write lock makes statements wait briefly, then fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        const QString reason = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw StoreError(reason);
    }
    path_ = path;
    try {
        if (!existed || QFileInfo(path).size() == 0)
            createSchema();
        checkUsable();
    } catch (...) {
        close();
        throw;
    }
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

void Database::createSchema() {
    QSqlDatabase db = connection();
    QSqlQuery query(db);
    if (!db.transaction())
        throw StoreError(db.lastError().text());
    try {
        for (const QString& statement : schemaStatements())
            execOrThrow(query, statement);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw StoreError(db.lastError().text());
}

void Database::checkUsable() {
    // Reading the table list touches the file: a damaged or locked file fails here, not later.
    QSqlQuery query(connection());
    execOrThrow(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    QStringList tables;
    while (query.next())
        tables << query.value(0).toString();
    for (const QString& required : requiredTables()) {
        if (!tables.contains(required))
            throw StoreError(QStringLiteral("the database has no table %1").arg(required));
    }
}

}  // namespace vlr::store
