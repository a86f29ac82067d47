#include "store/schema_columns.h"

#include "store/schema.h"
#include "store/store_error.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace vlr::store {
namespace {

void execOrThrow(QSqlQuery& query, const QString& text) {
    if (!query.exec(text))
        throw StoreError(query.lastError().text());
}

}  // namespace

const QMap<QString, QStringList>& schemaColumns() {
    // Read from a scratch database in memory, so that the check never drifts from the schema.
    static const QMap<QString, QStringList> columns = [] {
        static QAtomicInteger<int> counter;
        const QString name = QStringLiteral("vlr-schema-%1").arg(counter.fetchAndAddRelaxed(1));
        QMap<QString, QStringList> result;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(QStringLiteral(":memory:"));
            if (!db.open())
                throw StoreError(db.lastError().text());
            QSqlQuery query(db);
            for (const QString& statement : schemaStatements())
                execOrThrow(query, statement);
            for (const QString& table : requiredTables()) {
                execOrThrow(query, QStringLiteral("PRAGMA table_info([%1])").arg(table));
                QStringList names;
                while (query.next())
                    names << query.value(1).toString();
                query.finish();
                result.insert(table, names);
            }
        }
        QSqlDatabase::removeDatabase(name);
        return result;
    }();
    return columns;
}

const QVector<AddedColumn>& addedColumns() {
    // The station that received a row or made (then saved) a file; null in rows of files made
    // before stations existed, which every station treats as its own.
    static const QVector<AddedColumn> columns{
        {QStringLiteral("Catalog"), QStringLiteral("Station"),
         QStringLiteral("TEXT CHECK (length(Station) <= 50)"), QStringLiteral("varchar(50)")},
        {QStringLiteral("Data_Comm"), QStringLiteral("Station"),
         QStringLiteral("TEXT CHECK (length(Station) <= 50)"), QStringLiteral("varchar(50)")}};
    return columns;
}

void checkSchemaColumns(const std::function<QStringList(const QString& table)>& columnsOf) {
    const QMap<QString, QStringList>& expected = schemaColumns();
    for (auto table = expected.cbegin(); table != expected.cend(); ++table) {
        const QStringList present = columnsOf(table.key());
        if (present.isEmpty())
            throw StoreError(QStringLiteral("the database has no table %1").arg(table.key()));
        for (const QString& column : table.value()) {
            const bool added = std::any_of(
                addedColumns().cbegin(), addedColumns().cend(), [&](const AddedColumn& later) {
                    return later.table == table.key() && later.name == column;
                });
            if (!added && !present.contains(column, Qt::CaseInsensitive))
                throw StoreError(
                    QStringLiteral("the table %1 has no column %2").arg(table.key(), column));
        }
    }
}

}  // namespace vlr::store
