#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace vlr::store {

// The columns of each table as a new database has them, by table name.
const QMap<QString, QStringList>& schemaColumns();

// A column added after the first version; databases made before gain it at open.
struct AddedColumn {
    QString table;
    QString name;
    QString fileType;    // the local file's declaration after the name
    QString serverType;  // the server's
};
const QVector<AddedColumn>& addedColumns();

// Refuses (StoreError) a database that lacks a table or a column of the schema; the added
// columns are left to the upgrade. columnsOf gives the column names of one table, none when it
// is missing.
void checkSchemaColumns(const std::function<QStringList(const QString& table)>& columnsOf);

}  // namespace vlr::store
