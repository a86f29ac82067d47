#include "support/temp_database.h"

#include "store/dialect.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "support/pg_server.h"

#include <QSqlQuery>

namespace vlr::test {

std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::File ? "File" : "Server";
}

QString storedText(const QVariant& value) {
    return value.typeId() == QMetaType::QDateTime ? store::toStoredDateTime(value.toDateTime())
                                                  : value.toString();
}

double storedSingle(const QVariant& value) {
    return static_cast<double>(static_cast<float>(value.toDouble()));
}

void TempDatabaseTest::SetUp() {
    makeLocation();
    if (!HasFatalFailure())
        db_.open(location_);
}

void TempDatabaseTest::makeLocation() {
    ASSERT_TRUE(dir_.isValid());
    location_ = backend() == Backend::File
                    ? store::DatabaseLocation::file(databasePath())
                    : store::parseDatabaseLocation(PgServer::instance().createDatabase());
}

QString TempDatabaseTest::databasePath() const {
    return dir_.filePath(store::Database::fileName());
}

int TempDatabaseTest::count(const QString& table, const QString& where) const {
    QString text = QStringLiteral("SELECT count(*) FROM [%1]").arg(table);
    if (!where.isEmpty())
        text += QStringLiteral(" WHERE ") + where;
    const QVariant value = firstValue(text);
    return value.isValid() ? value.toInt() : -1;
}

QVariant TempDatabaseTest::firstValue(const QString& sql) const {
    QSqlQuery query(db_.connection());
    if (!query.exec(store::engineText(db_, sql)) || !query.next())
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
