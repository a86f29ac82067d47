#include "app/compaction.h"
#include "store/database.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/qt_printers.h"

namespace vlr::app {
namespace {

constexpr int kRows = 100000;

// A database of kRows records in one saved file, inserted in one transaction.
void fillDatabase(const QString& path) {
    store::Database db;
    db.open(path);
    QSqlDatabase connection = db.connection();
    ASSERT_TRUE(connection.transaction());
    QSqlQuery query(connection);
    ASSERT_TRUE(query.exec(
        QStringLiteral("INSERT INTO Catalog (FileName, FileSaved) VALUES ('Архив', 1)")));
    ASSERT_TRUE(
        query.prepare(QStringLiteral("INSERT INTO Data (FileNameId, N, [DateTime], F1, F2, T1, B1) "
                                     "VALUES (1, ?, ?, ?, ?, ?, ?)")));
    for (int i = 1; i <= kRows; ++i) {
        query.bindValue(0, i);
        query.bindValue(1, QStringLiteral("2013-01-01 %1:%2:%3")
                               .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
                               .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(i % 60, 2, 10, QLatin1Char('0')));
        query.bindValue(2, i * 0.25);
        query.bindValue(3, -i);
        query.bindValue(4, QStringLiteral("образец %1").arg(i));
        query.bindValue(5, i % 2);
        ASSERT_TRUE(query.exec());
    }
    ASSERT_TRUE(connection.commit());
}

TEST(CompactionLargeTest, AHundredThousandRowsSurviveUnderTheSameNameWithNoTemporaryFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(store::Database::fileName());
    fillDatabase(path);
    if (HasFatalFailure())
        return;

    const CompactionOutcome outcome = CompactDatabaseFile(path, QString(), QString());
    ASSERT_TRUE(outcome.succeeded) << outcome.message.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{store::Database::fileName()});

    store::Database db;
    db.open(path);
    QSqlQuery query(db.connection());
    ASSERT_TRUE(query.exec(QStringLiteral(
        "SELECT count(*), count(DISTINCT N), min(N), max(N), sum(F1), sum(F2), sum(B1), "
        "sum(T1 = 'образец ' || N), sum([DateTime] IS NOT NULL) FROM Data WHERE FileNameId = 1")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), kRows);
    EXPECT_EQ(query.value(1).toInt(), kRows);
    EXPECT_EQ(query.value(2).toInt(), 1);
    EXPECT_EQ(query.value(3).toInt(), kRows);
    EXPECT_EQ(query.value(4).toDouble(), 0.25 * kRows * (kRows + 1) / 2);
    EXPECT_EQ(query.value(5).toDouble(), -1.0 * kRows * (kRows + 1) / 2);
    EXPECT_EQ(query.value(6).toInt(), kRows / 2);
    EXPECT_EQ(query.value(7).toInt(), kRows);
    EXPECT_EQ(query.value(8).toInt(), kRows);
}

}  // namespace
}  // namespace vlr::app
