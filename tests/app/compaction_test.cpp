#include "app/compaction.h"
#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "support/other_connection.h"

#include <gtest/gtest.h>

#include "support/file_size_limit.h"
#include "support/qt_printers.h"

#include <stdexcept>

namespace vlr::app {
namespace {

class CompactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        store::Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(
            query.exec(QStringLiteral("INSERT INTO Catalog (FileName, FileSaved) VALUES "
                                      "('Балки', 1), ('Таблица1', 0)")));
        // Rows deleted before the compaction leave free pages behind that it reclaims.
        ASSERT_TRUE(query.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO Data (FileNameId, N, T1, F1) SELECT 1 + i % 2, i, printf('%050d', i), "
            "i / 3.0 FROM n")));
        ASSERT_TRUE(query.exec(QStringLiteral("DELETE FROM Data WHERE FileNameId = 2")));
    }

    QString path() const { return dir_.filePath(store::Database::fileName()); }

    QStringList files() const {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Rows of the file kept under its name: count and a checksum of their contents.
    QString contents(const QString& file = QString()) const {
        store::Database db;
        db.open(file.isEmpty() ? path() : file);
        QSqlQuery query(db.connection());
        if (!query.exec(QStringLiteral("SELECT count(*), sum(N), sum(length(T1)), total(F1), "
                                       "(SELECT group_concat(FileName) FROM Catalog), "
                                       "(SELECT seq FROM sqlite_sequence WHERE name = 'Data') "
                                       "FROM Data")) ||
            !query.next())
            return query.lastError().text();
        QStringList parts;
        for (int i = 0; i < 6; ++i)
            parts << query.value(i).toString();
        return parts.join(QLatin1Char('|'));
    }

    QString integrity() const {
        store::Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        if (!query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next())
            return query.lastError().text();
        return query.value(0).toString();
    }

    // A copy of the database in folder as a writer that crashed leaves it: the file, and beside
    // it a log holding a commit (the file 'поздний') not yet folded into the file. The database
    // itself gets the same commit.
    QString crashedCopyIn(const QString& folder) const {
        const QString copy = QDir(folder).filePath(store::Database::fileName());
        {
            const vlr::test::OtherConnection writer(path());
            QSqlQuery query = writer.query();
            if (!writer.isOpen() ||
                !query.exec(QStringLiteral(
                    "INSERT INTO Catalog (FileName, FileSaved) VALUES ('поздний', 1)")) ||
                !QDir().mkpath(folder) || !QFile::copy(path(), copy) ||
                !QFile::copy(path() + QStringLiteral("-wal"), copy + QStringLiteral("-wal")))
                ADD_FAILURE() << "cannot copy the database of a writer: "
                              << query.lastError().text().toStdString();
        }
        return copy;
    }

    QTemporaryDir dir_;
};

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST_F(CompactionTest, InPlaceKeepsEveryRowUnderTheSameNameAndShrinksTheFile) {
    const QString before = contents();
    const qint64 sizeBefore = QFileInfo(path()).size();
    const CompactionOutcome outcome = CompactDatabaseFile(path(), QString(), QString());
    ASSERT_TRUE(outcome.succeeded) << outcome.message.toStdString();
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    EXPECT_LT(QFileInfo(path()).size(), sizeBefore);
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(contents().startsWith(QStringLiteral("1500|")));
}

TEST_F(CompactionTest, IdsStayUnusedAfterACompaction) {
    {
        store::Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("DELETE FROM Catalog WHERE FileNameId = 2")));
    }
    ASSERT_TRUE(CompactDatabaseFile(path(), QString(), QString()).succeeded);
    store::Database db;
    db.open(path());
    store::Query(db, store::ADOQuery_CreateFile())
        .set(QStringLiteral("PFileName"), QStringLiteral("x"))
        .exec();
    QSqlQuery query(db.connection());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT max(FileNameId) FROM Catalog")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 3);
}

TEST_F(CompactionTest, AFailureBeforeTheReplaceLeavesTheOriginalAndNoTemporaryFile) {
    const QString before = contents();

    QString seenCopy;
    CompactionSteps steps;
    steps.beforeReplace = [&seenCopy](const QString& copy) {
        seenCopy = copy;
        throw std::runtime_error("power lost");
    };
    const CompactionOutcome outcome = CompactDatabaseFile(path(), QString(), QString(), steps);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.message, QStringLiteral("power lost"));
    // The copy was complete and lay beside the database under a unique temporary name.
    EXPECT_EQ(QFileInfo(seenCopy).path(), dir_.path());
    EXPECT_TRUE(QFileInfo(seenCopy).fileName().contains(
        QRegularExpression(QStringLiteral("^mdb[0-9A-F]{1,4}\\.tmp$"))))
        << seenCopy.toStdString();
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    // Only the journal mode in the header changed (the next open turns the log on again): the
    // file is whole and holds every row.
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
}

TEST_F(CompactionTest, ADatabaseAnotherConnectionIsWritingIsNotCompacted) {
    const QString before = contents();
    {
        const vlr::test::OtherConnection other(path());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        ASSERT_TRUE(query.exec(QStringLiteral("BEGIN IMMEDIATE")));
        ASSERT_TRUE(query.exec(
            QStringLiteral("INSERT INTO Catalog (FileName, FileSaved) VALUES ('поздний', 1)")));

        const CompactionOutcome outcome = CompactDatabaseFile(path(), QString(), QString());
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("locked")))
            << outcome.message.toStdString();
        // The other connection's work lands in the file that keeps the name.
        ASSERT_TRUE(query.exec(QStringLiteral("COMMIT")));
    }
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    EXPECT_EQ(contents(), before.section(QLatin1Char('|'), 0, 3) +
                              QStringLiteral("|Балки,Таблица1,поздний|") +
                              before.section(QLatin1Char('|'), 5));
}

TEST_F(CompactionTest, NoRoomForTheCopyLeavesTheOriginalAndNoTemporaryFile) {
    const QString before = contents();
    CompactionOutcome outcome;
    {
        // Files may not grow past 16 KiB: the copy cannot be written, as on a full disk.
        test::FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        outcome = CompactDatabaseFile(path(), QString(), QString());
    }

    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.message.isEmpty());
    // The log the full disk kept from being folded in goes at the next open and close.
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
}

TEST_F(CompactionTest, RefusalsLeaveTheDatabaseAsItIs) {
    const QString before = contents();
    struct Case {
        QString source, destination, password, messagePart;
    };
    const Case cases[] = {
        {path(), QString(), QStringLiteral("secret"), QStringLiteral("password")},
        {dir_.filePath(QStringLiteral("missing.mdb")), QString(), QString(),
         QStringLiteral("missing.mdb")},
        {path(), path(), QString(), QStringLiteral("itself")},
    };
    for (const Case& c : cases) {
        const CompactionOutcome outcome = CompactDatabaseFile(c.source, c.destination, c.password);
        EXPECT_FALSE(outcome.succeeded) << c.messagePart.toStdString();
        EXPECT_TRUE(outcome.message.contains(c.messagePart)) << outcome.message.toStdString();
    }
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    EXPECT_EQ(contents(), before);
}

TEST_F(CompactionTest, AFileOfAnotherKindIsReportedAndLeftAlone) {
    QFile::remove(path());
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'j'));
    file.close();
    const CompactionOutcome outcome = CompactDatabaseFile(path(), QString(), QString());
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.message.isEmpty());
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    EXPECT_EQ(QFileInfo(path()).size(), 4096);
}

TEST_F(CompactionTest, WithADestinationTheCopyGoesThereAndTheSourceStays) {
    const QString before = contents();
    const QString copy = dir_.filePath(QStringLiteral("copy.mdb"));
    QFile stale(copy);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    const CompactionOutcome outcome = CompactDatabaseFile(path(), copy, QString());
    ASSERT_TRUE(outcome.succeeded) << outcome.message.toStdString();
    EXPECT_EQ(contents(copy), before);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(files(), (QStringList{QStringLiteral("copy.mdb"), store::Database::fileName()}));
}

TEST_F(CompactionTest, ADatabaseAnotherConnectionHasOpenIsNotCompacted) {
    const QString before = contents();
    {
        // Open and idle between its statements, as another running copy of the program.
        const vlr::test::OtherConnection other(path());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM Data")));
        ASSERT_TRUE(query.next());
        query.finish();
        ASSERT_TRUE(QFileInfo::exists(path() + QStringLiteral("-wal")));

        const CompactionOutcome outcome = CompactDatabaseFile(path(), QString(), QString());
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("locked")))
            << outcome.message.toStdString();
        // The other connection goes on reading the file it had.
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM Data")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 1500);
    }
    EXPECT_EQ(files(), QStringList{store::Database::fileName()});
    EXPECT_EQ(contents(), before);
}

TEST_F(CompactionTest, TheLogOfACrashedWriterIsFoldedInAndNoneIsLeftBesideTheNewFile) {
    const QString folder = dir_.filePath(QStringLiteral("crashed"));
    const QString crashed = crashedCopyIn(folder);
    ASSERT_EQ(filesIn(folder), (QStringList{store::Database::fileName(),
                                            store::Database::fileName() + QStringLiteral("-wal")}));

    const CompactionOutcome outcome = CompactDatabaseFile(crashed, QString(), QString());
    ASSERT_TRUE(outcome.succeeded) << outcome.message.toStdString();
    EXPECT_EQ(filesIn(folder), QStringList{store::Database::fileName()});
    EXPECT_EQ(contents(crashed), contents());
    EXPECT_TRUE(contents(crashed).contains(QStringLiteral("|Балки,Таблица1,поздний|")));
}

TEST_F(CompactionTest, ADestinationLosesTheLogOfTheFileItReplaces) {
    // The log of another database lies beside the destination, as a crash there left it: played
    // back onto the copy it would damage it.
    const QString stale = crashedCopyIn(dir_.filePath(QStringLiteral("elsewhere")));
    const QString copy = dir_.filePath(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(QFile::copy(stale, copy));
    ASSERT_TRUE(QFile::copy(stale + QStringLiteral("-wal"), copy + QStringLiteral("-wal")));
    {
        // Give the source contents of its own, unlike those the stale log holds.
        store::Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("DELETE FROM Data WHERE N % 3 = 0")));
    }
    const QString before = contents();

    const CompactionOutcome outcome = CompactDatabaseFile(path(), copy, QString());
    ASSERT_TRUE(outcome.succeeded) << outcome.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("-wal")));
    EXPECT_EQ(contents(copy), before);
}

}  // namespace
}  // namespace vlr::app
