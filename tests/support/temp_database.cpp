#include "support/temp_database.h"

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

}  // namespace vlr::test
