#include "store/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/qt_printers.h"
#include "support/vlr_tool.h"

namespace vlr::app {
namespace {

using test::runVlrTool;
using test::ToolRun;
using test::vlrToolPath;

class DbCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(vlrToolPath()).isExecutable()) << vlrToolPath().toStdString();
        ASSERT_TRUE(work_.isValid());
    }
    QString databaseFile() const { return work_.filePath(store::Database::fileName()); }

    QTemporaryDir work_;
};

TEST_F(DbCommandTest, CreatesAMissingDatabaseAndListsItsKinds) {
    const ToolRun run = runVlrTool(work_.path(), {QStringLiteral("db")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(databaseFile()));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Database: ") + databaseFile()))
        << run.out.toStdString();
    EXPECT_EQ(run.out.count(QStringLiteral("ВТР-К9")), 4);
    EXPECT_EQ(run.out.count(QStringLiteral("ОСК-К9")), 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Received rows: 0\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Saved files: 0\n")));
}

TEST_F(DbCommandTest, CountsReceivedRowsAndOnlySavedFiles) {
    {
        store::Database db;
        db.open(databaseFile());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral(
            "INSERT INTO Catalog (FileName, FileSaved) VALUES ('a', 1), ('a', 1), ('b', 0)")));
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data_Comm (N) VALUES (1), (2), (3)")));
    }
    const ToolRun run = runVlrTool(work_.path(), {QStringLiteral("db")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Received rows: 3\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Saved files: 2\n"))) << run.out.toStdString();
}

TEST_F(DbCommandTest, AnUnusableDatabaseIsTheProgramsAccessErrorWithItsReason) {
    QFile file(databaseFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database at all, just some text that is long enough");
    file.close();
    const ToolRun run = runVlrTool(work_.path(), {QStringLiteral("db")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("Не могу получить доступ к БД!")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("not a database"))) << run.err.toStdString();
}

TEST_F(DbCommandTest, HelpAndBadArguments) {
    const ToolRun help = runVlrTool(work_.path(), {QStringLiteral("db"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: vlr db"))) << help.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(databaseFile())) << "help touches no database";

    const ToolRun bad =
        runVlrTool(work_.path(), {QStringLiteral("db"), QStringLiteral("--frobnicate")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("--frobnicate"))) << bad.err.toStdString();

    const ToolRun listed = runVlrTool(work_.path(), {QStringLiteral("--help")});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(listed.out.contains(QStringLiteral("  db "))) << listed.out.toStdString();
}

}  // namespace
}  // namespace vlr::app
