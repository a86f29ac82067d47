#include "support/temp_database.h"

#include "store/query.h"
#include "store/statements.h"

#include <QSqlQuery>

namespace vlr::test {

void TempDatabaseTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    db_.open(databasePath());
}

QString TempDatabaseTest::databasePath() const {
    return dir_.filePath(store::Database::fileName());
}

int TempDatabaseTest::count(const QString& table, const QString& where) const {
    QSqlQuery query(db_.connection());
    QString text = QStringLiteral("SELECT count(*) FROM [%1]").arg(table);
    if (!where.isEmpty())
        text += QStringLiteral(" WHERE ") + where;
    if (!query.exec(text) || !query.next())
        return -1;
    return query.value(0).toInt();
}

QVariant TempDatabaseTest::firstValue(const QString& sql) const {
    QSqlQuery query(db_.connection());
    if (!query.exec(sql) || !query.next())
        return QVariant();
    return query.value(0);
}

int TempDatabaseTest::createFile(const QString& name, int deviceListId, bool saved) {
    store::Query(db_, store::ADOQuery_CreateFile())
        .set(QStringLiteral("PFileName"), name)
        .set(QStringLiteral("PDeviceListId"), deviceListId)
        .set(QStringLiteral("PFileSaved"), saved)
        .exec();
    return firstValue(QStringLiteral("SELECT max(FileNameId) FROM Catalog")).toInt();
}

}  // namespace vlr::test
