#include "store/database.h"
#include "store/statements.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "support/temp_database.h"

namespace vlr::store {
namespace {

using DataOrderIndexTest = test::TempDatabaseTest;

// How the engine runs statement for one file: the details of its plan, one per line.
QString planOf(const Database& db, const Statement& statement) {
    QSqlQuery query(db.connection());
    if (!query.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + statement.text))
        return query.lastError().text();
    for (const char* name : {":PFileNameId", ":PDeviceListId", ":PDeviceNArc"})
        query.bindValue(QString::fromLatin1(name), 1);
    if (!query.exec())
        return query.lastError().text();
    QStringList details;
    while (query.next())
        details << query.value(3).toString();
    return details.join(QLatin1Char('\n'));
}

TEST_F(DataOrderIndexTest, AFilesRowsAreReadInTheDefaultOrderWithoutASort) {
    for (const Statement& search : {ADOQuery_Search(), documentSearchStatement(orderByLine({}))}) {
        const QString plan = planOf(db_, search);
        EXPECT_TRUE(plan.contains(QStringLiteral("USING INDEX Data_Order (FileNameId=?)")))
            << plan.toStdString();
        EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << plan.toStdString();
    }

    // A user's column order still sorts, through the same index's file lookup.
    const QString byComment =
        planOf(db_, documentSearchStatement(orderByLine({{QStringLiteral("Comment"), true}})));
    EXPECT_TRUE(byComment.contains(QStringLiteral("TEMP B-TREE"))) << byComment.toStdString();

    // The receive view's rows of one kind and archive come in its order the same way.
    const QString received = planOf(db_, ADOQuery_CommSearch());
    EXPECT_TRUE(received.contains(QStringLiteral("USING INDEX Data_Comm_Order")))
        << received.toStdString();
    EXPECT_FALSE(received.contains(QStringLiteral("TEMP B-TREE"))) << received.toStdString();
}

TEST_F(DataOrderIndexTest, AFileMadeBeforeTheIndexGainsItAtOpenWithItsRowsKept) {
    const int file = createFile(QStringLiteral("Балки"), 1, true);
    {
        // As earlier versions made the file: a lookup index on FileNameId only.
        QSqlQuery query(db_.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("DROP INDEX Data_Order")));
        ASSERT_TRUE(
            query.exec(QStringLiteral("CREATE INDEX Data_FileNameId ON Data (FileNameId)")));
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data (FileNameId, N, [DateTime]) VALUES "
                                              "(%1, 2, '2013-01-01 10:00:00'), "
                                              "(%1, 1, '2013-01-01 11:00:00')")
                                   .arg(file)));
    }
    db_.close();
    db_.open(databasePath());
    EXPECT_EQ(count(QStringLiteral("sqlite_master"),
                    QStringLiteral("type = 'index' AND name = 'Data_Order'")),
              1);
    const QString plan = planOf(db_, documentSearchStatement(orderByLine({})));
    EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << plan.toStdString();
    EXPECT_EQ(count(QStringLiteral("Data")), 2);

    // Opening again does not fail on the index that is now there.
    db_.close();
    EXPECT_NO_THROW(db_.open(databasePath()));
}

}  // namespace
}  // namespace vlr::store
