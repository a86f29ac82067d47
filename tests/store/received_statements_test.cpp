#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace vlr::store {
namespace {

using ReceivedStatementsTest = test::BothDatabasesTest;

const QDateTime kMeasured(QDate(2013, 2, 28), QTime(23, 59, 58));

// A received row with every field of the record row set to a value of its own.
int addFullRow(const Database& db, int deviceListId, int archive) {
    Query add(db, ADOQuery_CommAdd());
    add.set(QStringLiteral("PN"), 17)
        .set(QStringLiteral("PDateTime"), kMeasured)
        .set(QStringLiteral("PDeviceListId"), deviceListId)
        .set(QStringLiteral("PDeviceNArc"), archive)
        .set(QStringLiteral("PComment"), QStringLiteral("замечание"));
    for (int i = 1; i <= 10; ++i) {
        add.set(QStringLiteral("PF%1").arg(i), 12.3 * i)
            .set(QStringLiteral("PT%1").arg(i), QStringLiteral("т%1,5").arg(i))
            .set(QStringLiteral("PB%1").arg(i), i % 2 == 0);
    }
    add.exec();
    QSqlQuery last(db.connection());
    return last.exec(QStringLiteral("SELECT max(DataId) FROM Data_Comm")) && last.next()
               ? last.value(0).toInt()
               : -1;
}

TEST_P(ReceivedStatementsTest, CommAddStoresEveryFieldWithSinglePrecisionNumbers) {
    const int id = addFullRow(db_, 5, 1);
    QSqlQuery row(db_.connection());
    ASSERT_TRUE(row.exec(QStringLiteral("SELECT * FROM Data_Comm WHERE DataId = %1").arg(id)));
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(QStringLiteral("N")).toInt(), 17);
    EXPECT_EQ(test::storedText(row.value(QStringLiteral("DateTime"))),
              QStringLiteral("2013-02-28 23:59:58"));
    EXPECT_EQ(row.value(QStringLiteral("DeviceListId")).toInt(), 5);
    EXPECT_EQ(row.value(QStringLiteral("DeviceNArc")).toInt(), 1);
    EXPECT_EQ(row.value(QStringLiteral("Comment")).toString(), QStringLiteral("замечание"));
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(test::storedSingle(row.value(QStringLiteral("F%1").arg(i))),
                  static_cast<double>(static_cast<float>(12.3 * i)));
        EXPECT_EQ(row.value(QStringLiteral("T%1").arg(i)).toString(),
                  QStringLiteral("т%1,5").arg(i));
        EXPECT_EQ(row.value(QStringLiteral("B%1").arg(i)).toInt(), i % 2 == 0 ? 1 : 0);
    }
}

TEST_P(ReceivedStatementsTest, CommAddLeavesUnsetFieldsNullAndTheArchiveZero) {
    Query(db_, ADOQuery_CommAdd()).set(QStringLiteral("PN"), 1).exec();
    QSqlQuery row(db_.connection());
    ASSERT_TRUE(row.exec(QStringLiteral("SELECT * FROM Data_Comm")));
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(QStringLiteral("DeviceNArc")).toInt(), 0);
    EXPECT_FALSE(row.value(QStringLiteral("DeviceNArc")).isNull());
    for (const QString& field : recordRowCopiedFields()) {
        if (field != QLatin1String("N")) {
            EXPECT_TRUE(row.value(field).isNull()) << field.toStdString();
        }
    }
}

TEST_P(ReceivedStatementsTest, CommSearchShowsOneArchiveOfOneKindInReceptionOrder) {
    for (int n : {3, 1, 2}) {
        Query(db_, ADOQuery_CommAdd())
            .set(QStringLiteral("PN"), n)
            .set(QStringLiteral("PDeviceListId"), 5)
            .set(QStringLiteral("PDeviceNArc"), n == 2 ? 1 : 0)
            .exec();
    }
    Query(db_, ADOQuery_CommAdd())
        .set(QStringLiteral("PN"), 0)
        .set(QStringLiteral("PDeviceListId"), 1)
        .exec();

    Query search(db_, ADOQuery_CommSearch());
    search.set(QStringLiteral("PDeviceListId"), 5);
    auto numbers = [&search] {
        QStringList result;
        QSqlQuery& rows = search.open();
        while (rows.next())
            result << rows.value(QStringLiteral("N")).toString();
        return result.join(QLatin1Char(','));
    };
    EXPECT_EQ(numbers(), QStringLiteral("1,3"));
    // A row of the second archive shows only with the second archive.
    search.set(QStringLiteral("PDeviceNArc"), 1);
    EXPECT_EQ(numbers(), QStringLiteral("2"));
}

TEST_P(ReceivedStatementsTest, SearchDevFindsTheKindByTypeAndSubType) {
    Query search(db_, ADOQuery_SearchDev());
    auto idFor = [&search](int type, int subType) {
        QSqlQuery& rows = search.set(QStringLiteral("PDevType"), type)
                              .set(QStringLiteral("PDevSubType"), subType)
                              .open();
        return rows.next() ? rows.value(QStringLiteral("DeviceListId")).toInt() : 0;
    };
    EXPECT_EQ(idFor(1, 0), 1);
    EXPECT_EQ(idFor(2, 40), 3);
    EXPECT_EQ(idFor(2, 41), 5);
    EXPECT_EQ(idFor(2, 0), 0);
    EXPECT_THROW(search.set(QStringLiteral("PDevSubType"), 40000), StoreError) << "Short parameter";
}

TEST_P(ReceivedStatementsTest, CommDeleteEmptiesOneKindAndNothingWithoutAKind) {
    addFullRow(db_, 1, 0);
    addFullRow(db_, 2, 0);
    addFullRow(db_, 2, 0);
    EXPECT_EQ(Query(db_, ADOQuery_CommDelete()).exec(), 0);
    EXPECT_EQ(Query(db_, ADOQuery_CommDelete()).set(QStringLiteral("PDeviceListId"), 2).exec(), 2);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 1);
}

TEST_P(ReceivedStatementsTest, CopyRecCopiesEveryFieldButCommentRoundedToFiveDecimals) {
    const int received = addFullRow(db_, 2, 0);
    addFullRow(db_, 2, 0);
    const int file = createFile(QStringLiteral("Таблица1"), 2, false);

    EXPECT_EQ(Query(db_, ADOQuery_CopyRec())
                  .set(QStringLiteral("PDataId"), received)
                  .set(QStringLiteral("PFileNameId"), file)
                  .exec(),
              1);
    QSqlQuery from(db_.connection());
    QSqlQuery to(db_.connection());
    ASSERT_TRUE(
        from.exec(QStringLiteral("SELECT * FROM Data_Comm WHERE DataId = %1").arg(received)));
    ASSERT_TRUE(to.exec(QStringLiteral("SELECT * FROM Data")));
    ASSERT_TRUE(from.next());
    ASSERT_TRUE(to.next());
    for (const QString& field : recordRowCopiedFields()) {
        if (field.startsWith(QLatin1Char('F'))) {
            // 12.3 received as a single reads back as exactly the decimal 12.3 (times i).
            const double single = test::storedSingle(from.value(field));
            EXPECT_EQ(to.value(field).toDouble(), QString::number(single, 'f', 5).toDouble())
                << field.toStdString();
        } else {
            EXPECT_EQ(to.value(field), from.value(field)) << field.toStdString();
        }
    }
    EXPECT_EQ(to.value(QStringLiteral("F1")).toDouble(), 12.3);
    EXPECT_EQ(to.value(QStringLiteral("FileNameId")).toInt(), file);
    EXPECT_TRUE(to.value(QStringLiteral("Comment")).isNull());
    EXPECT_EQ(to.value(QStringLiteral("Printable")).toInt(), 0);
    EXPECT_FALSE(to.next());

    // An id that was not received copies nothing.
    EXPECT_EQ(Query(db_, ADOQuery_CopyRec())
                  .set(QStringLiteral("PDataId"), received + 100)
                  .set(QStringLiteral("PFileNameId"), file)
                  .exec(),
              0);
}

TEST_P(ReceivedStatementsTest, CopyRecGivesEveryScaledInstrumentValueItsExactDecimal) {
    // Raw values spread over the whole 16-bit range (52047 among them) divided by 10, 100 and
    // 1000, received as singles ten to a row (5204.7 is held as the single 5204.7002), copy back
    // as their exact decimals.
    QSqlDatabase connection = db_.connection();
    ASSERT_TRUE(connection.transaction());
    // Received as ADOQuery_CommAdd stores them, through one prepared insert for speed.
    QSqlQuery add(connection);
    ASSERT_TRUE(add.prepare(QStringLiteral(
        "INSERT INTO Data_Comm (DeviceListId, DeviceNArc, N, F1, F2, F3, F4, F5, F6, F7, F8, F9, "
        "F10) VALUES (2, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")));
    int rows = 0;
    for (const int divisor : {10, 100, 1000}) {
        for (int first = 0; first <= 65535; first += 1301) {
            add.addBindValue(++rows);
            for (int i = 0; i < 10; ++i)
                add.addBindValue(double(float(double((first + i) & 0xFFFF) / divisor)));
            ASSERT_TRUE(add.exec());
        }
    }
    Query copy(db_, ADOQuery_CopyRec());
    copy.set(QStringLiteral("PFileNameId"), createFile(QStringLiteral("все"), 2, true));
    QSqlQuery ids(connection);
    ASSERT_TRUE(ids.exec(QStringLiteral("SELECT DataId FROM Data_Comm ORDER BY DataId")));
    while (ids.next())
        ASSERT_EQ(copy.set(QStringLiteral("PDataId"), ids.value(0)).exec(), 1);
    ASSERT_TRUE(connection.commit());

    // The copies follow each other in the order they were received.
    QSqlQuery data(connection);
    ASSERT_TRUE(data.exec(QStringLiteral(
        "SELECT F1, F2, F3, F4, F5, F6, F7, F8, F9, F10 FROM Data ORDER BY DataId")));
    int checked = 0;
    int wrong = 0;
    for (const int divisor : {10, 100, 1000}) {
        for (int first = 0; first <= 65535 && data.next(); first += 1301) {
            for (int i = 0; i < 10; ++i) {
                const double expected = double((first + i) & 0xFFFF) / divisor;
                if (data.value(i).toDouble() != expected && ++wrong <= 5)
                    ADD_FAILURE() << (first + i) << " / " << divisor << " copied as "
                                  << data.value(i).toString().toStdString();
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, rows * 10);
    EXPECT_EQ(wrong, 0);
}

TEST_P(ReceivedStatementsTest, AnInvalidDateTimeIsRefusedButANullOneStoresNull) {
    Query add(db_, ADOQuery_CommAdd());
    add.set(QStringLiteral("PN"), 1);
    EXPECT_THROW(add.set(QStringLiteral("PDateTime"), QDateTime()), StoreError);
    EXPECT_THROW(add.set(QStringLiteral("PDateTime"), QStringLiteral("31.03.2024 02:30")),
                 StoreError);
    add.set(QStringLiteral("PDateTime"), QVariant()).exec();
    EXPECT_EQ(count(QStringLiteral("Data_Comm"), QStringLiteral("[DateTime] IS NULL")), 1);
}

}  // namespace
VLR_ON_BOTH_DATABASES(ReceivedStatementsTest);

}  // namespace vlr::store
