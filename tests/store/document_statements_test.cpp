#include "store/dialect.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>

#include <stdexcept>

namespace vlr::store {
namespace {

class DocumentStatementsTest : public test::BothDatabasesTest {
protected:
    void SetUp() override {
        TempDatabaseTest::SetUp();
        file_ = createFile(QStringLiteral("Таблица1"), 1, true);
        const int other = createFile(QStringLiteral("Таблица2"), 1, true);
        // N, DateTime, F1, T4 of each record; one record of another file.
        const char* rows[][4] = {{"2", "2013-01-02 10:00:00", "5.5", "б"},
                                 {"1", "2013-01-03 10:00:00", "7.25", "а"},
                                 {"2", "2013-01-01 10:00:00", "5.5", "в"},
                                 {"3", "2013-01-01 09:00:00", "-1", "а"}};
        QSqlQuery insert(db_.connection());
        for (const auto& row : rows) {
            ASSERT_TRUE(insert.exec(
                engineText(db_, QStringLiteral("INSERT INTO Data (FileNameId, N, [DateTime], "
                                               "F1, T4) VALUES (%1, %2, '%3', %4, '%5')")
                                    .arg(file_)
                                    .arg(QString::fromUtf8(row[0]), QString::fromUtf8(row[1]),
                                         QString::fromUtf8(row[2]), QString::fromUtf8(row[3])))));
        }
        ASSERT_TRUE(insert.exec(
            QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, 0)").arg(other)));
    }

    // The records' N.DateTime-day pairs in the order a statement returns them.
    QString order(const Statement& statement) {
        Query query(db_, statement);
        QSqlQuery& rows = query.set(QStringLiteral("PFileNameId"), file_).open();
        QStringList result;
        while (rows.next())
            result << rows.value(QStringLiteral("N")).toString() + QLatin1Char('.') +
                          test::storedText(rows.value(QStringLiteral("DateTime"))).mid(8, 2);
        return result.join(QLatin1Char(' '));
    }

    int file_ = 0;
};

TEST_P(DocumentStatementsTest, SearchAndPrintListTheFileByNumberThenDateTime) {
    EXPECT_EQ(order(ADOQuery_Search()), QStringLiteral("1.03 2.01 2.02 3.01"));
    EXPECT_EQ(order(ADOQuery_Print()), QStringLiteral("1.03 2.01 2.02 3.01"));
}

TEST_P(DocumentStatementsTest, OrderByLineJoinsTheSortedColumnsInGridOrder) {
    EXPECT_EQ(orderByLine({}), QStringLiteral("order by N, DateTime, DataId;"));
    EXPECT_EQ(orderByLine({{QStringLiteral("F1"), true}, {QStringLiteral("T4"), false}}),
              QStringLiteral("order by F1 DESC, T4 COLLATE ru_ci, DataId;"));
    EXPECT_EQ(orderByLine({{QStringLiteral("DateTime"), true}, {QStringLiteral("Comment"), true}}),
              QStringLiteral("order by DateTime DESC, Comment COLLATE ru_ci DESC, DataId;"));
}

TEST_P(DocumentStatementsTest, OrderByLineRefusesAnythingButAColumnOfData) {
    EXPECT_THROW(orderByLine({{QStringLiteral("N; delete from Data"), false}}),
                 std::invalid_argument);
    EXPECT_THROW(orderByLine({{QStringLiteral("F11"), false}}), std::invalid_argument);
    EXPECT_THROW(orderByLine({{QStringLiteral("N"), false}, {QString(), false}}),
                 std::invalid_argument);
}

TEST_P(DocumentStatementsTest, RebuiltSearchRunsWithTheNewLastLineAndPrintFollowsIt) {
    const Statement rebuilt = documentSearchStatement(
        orderByLine({{QStringLiteral("F1"), true}, {QStringLiteral("T4"), false}}));
    EXPECT_EQ(rebuilt.text, QStringLiteral("select *\nfrom [Data]\nwhere FileNameId=:PFileNameId\n"
                                           "order by F1 DESC, T4 COLLATE ru_ci, DataId;"));
    EXPECT_EQ(order(rebuilt), QStringLiteral("1.03 2.02 2.01 3.01"));

    const Statement print = printStatementFor(rebuilt);
    EXPECT_EQ(print.name, ADOQuery_Print().name);
    EXPECT_EQ(order(print), QStringLiteral("1.03 2.02 2.01 3.01"));
    EXPECT_EQ(order(documentSearchStatement(orderByLine({}))), order(ADOQuery_Search()));
}

TEST_P(DocumentStatementsTest, EditSetsOneCommentWithinFiftyCharactersThoughTheColumnHoldsMore) {
    const QVariant id = firstValue(QStringLiteral("SELECT min(DataId) FROM Data"));
    const QString fifty(50, QChar(u'ё'));
    EXPECT_EQ(Query(db_, ADOQuery_Edit())
                  .set(QStringLiteral("PDataId"), id)
                  .set(QStringLiteral("PComment"), fifty)
                  .exec(),
              1);
    EXPECT_EQ(
        firstValue(QStringLiteral("SELECT Comment FROM Data WHERE DataId = %1").arg(id.toInt())),
        QVariant(fifty));
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("Comment IS NOT NULL")), 1);

    Query edit(db_, ADOQuery_Edit());
    EXPECT_THROW(edit.set(QStringLiteral("PComment"), fifty + QLatin1Char('!')), StoreError);
    // The column itself takes 100 characters, not 101.
    QSqlQuery direct(db_.connection());
    EXPECT_TRUE(direct.exec(
        QStringLiteral("UPDATE Data SET Comment = '%1'").arg(QString(100, QLatin1Char('c')))));
    EXPECT_FALSE(direct.exec(
        QStringLiteral("UPDATE Data SET Comment = '%1'").arg(QString(101, QLatin1Char('c')))));
}

}  // namespace
VLR_ON_BOTH_DATABASES(DocumentStatementsTest);

}  // namespace vlr::store
