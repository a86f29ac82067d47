#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>

namespace vlr::store {
namespace {

using test::TempDatabaseTest;
using QueryTypesTest = TempDatabaseTest;

TEST_F(QueryTypesTest, NewFileHoldsTheInstrumentKinds) {
    EXPECT_EQ(count(QStringLiteral("DeviceList")), 5);
    QSqlQuery query(db_.connection());
    ASSERT_TRUE(query.exec(QStringLiteral(
        "SELECT DeviceName, DeviceNumArc, DeviceSubType FROM DeviceList WHERE DeviceListId = 5")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("ВТР-К9"));
    EXPECT_EQ(query.value(1).toInt(), 2);
    EXPECT_EQ(query.value(2).toInt(), 41);
}

TEST_F(QueryTypesTest, SingleValuesAreStoredAtSinglePrecisionAndCopiedRoundedToFiveDecimals) {
    Query add(db_, ADOQuery_CommAdd());
    add.set(QStringLiteral("PN"), 1)
        .set(QStringLiteral("PDeviceListId"), 1)
        .set(QStringLiteral("PF1"), 12.3)
        .set(QStringLiteral("PDateTime"), QDateTime(QDate(2012, 3, 4), QTime(5, 6, 7)));
    add.exec();

    QSqlQuery query(db_.connection());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT DataId, F1, [DateTime] FROM Data_Comm")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(1).toDouble(), static_cast<double>(12.3f));
    EXPECT_EQ(query.value(2).toString(), QStringLiteral("2012-03-04 05:06:07"));

    Query copy(db_, ADOQuery_CopyRec());
    copy.set(QStringLiteral("PDataId"), query.value(0)).set(QStringLiteral("PFileNameId"), 9);
    EXPECT_EQ(copy.exec(), 1);
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT F1, FileNameId, Comment FROM Data")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toDouble(), 12.3);
    EXPECT_EQ(query.value(1).toInt(), 9);
    EXPECT_TRUE(query.value(2).isNull());
}

TEST_F(QueryTypesTest, OverlongTextFailsTheStatement) {
    Query add(db_, ADOQuery_CommAdd());
    add.set(QStringLiteral("PN"), 1);
    EXPECT_THROW(add.set(QStringLiteral("PT1"), QString(51, QLatin1Char('x'))), StoreError);
    QSqlQuery query(db_.connection());
    EXPECT_FALSE(query.exec(QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('%1')")
                                .arg(QString(51, QLatin1Char('y')))));
}

}  // namespace
}  // namespace vlr::store
