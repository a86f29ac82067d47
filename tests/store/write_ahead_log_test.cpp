#include "store/database.h"
#include "store/store_error.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "support/other_connection.h"

#include <gtest/gtest.h>

#include "other_process.h"
#include "support/qt_printers.h"

namespace vlr::store {
namespace {

class WriteAheadLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        Database().open(path());
    }

    QString path() const { return dir_.filePath(Database::fileName()); }

    QString value(const Database& db, const QString& sql) const {
        QSqlQuery query(db.connection());
        if (!query.exec(sql) || !query.next())
            return query.lastError().text();
        return query.value(0).toString();
    }

    QString fileNames(const Database& db) const {
        return value(db, QStringLiteral("SELECT group_concat(FileName, ',') FROM "
                                        "(SELECT FileName FROM Catalog ORDER BY FileNameId)"));
    }

    QTemporaryDir dir_;
};

// Runs statements in the child on a connection of its own; a failing one ends the child.
void execIn(test::OtherProcess& child, const QString& connectionName, const QString& path,
            const QStringList& statements) {
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    if (!db.isOpen() && !db.open())
        child.fail();
    QSqlQuery query(db);
    for (const QString& statement : statements) {
        if (!query.exec(statement))
            child.fail();
        while (query.next()) {
        }
    }
}

TEST_F(WriteAheadLogTest, EveryOpenCommitsThroughTheLogWithANormalSync) {
    // A file switched back to the plain journal (as a compaction leaves it) gets the log again.
    {
        const vlr::test::OtherConnection other(path());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA journal_mode=DELETE")));
        ASSERT_TRUE(query.next());
        ASSERT_EQ(query.value(0).toString(), QStringLiteral("delete"));
    }

    Database db;
    db.open(path());
    EXPECT_EQ(value(db, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
    EXPECT_EQ(value(db, QStringLiteral("PRAGMA synchronous")), QStringLiteral("1"));  // NORMAL
}

TEST_F(WriteAheadLogTest, TheCommittedRowsOfAWriterThatCrashedAreThereAndNothingElse) {
    test::OtherProcess writer([this](test::OtherProcess& child) {
        try {
            Database db;
            db.open(path());
            QSqlQuery query(db.connection());
            for (const char* name : {"первый", "второй"}) {
                if (!query.exec(
                        QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('%1')").arg(name)))
                    child.fail();
            }
            if (!query.exec(QStringLiteral("BEGIN")) ||
                !query.exec(QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('начатый')")))
                child.fail();
            child.die();  // the connection open and the transaction begun
        } catch (const StoreError&) {
            child.fail();
        }
    });
    ASSERT_TRUE(writer.started());
    ASSERT_EQ(writer.finish(), 0);
    // The commits are in the log only: nobody folded it into the file.
    ASSERT_GT(QFileInfo(path() + QStringLiteral("-wal")).size(), 0);

    Database db;
    db.open(path());
    EXPECT_EQ(fileNames(db), QStringLiteral("первый,второй"));
}

TEST_F(WriteAheadLogTest, AnotherProgramReadingLetsTheDatabaseOpenOneWritingDoesNot) {
    test::OtherProcess other([this](test::OtherProcess& child) {
        const QString name = QStringLiteral("other-program");
        execIn(child, name, path(),
               {QStringLiteral("BEGIN"), QStringLiteral("SELECT count(*) FROM Catalog")});
        child.reportStep();
        child.waitForGo();
        execIn(child, name, path(),
               {QStringLiteral("COMMIT"), QStringLiteral("BEGIN IMMEDIATE"),
                QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('чужой')")});
        child.reportStep();
        child.waitForGo();
        execIn(child, name, path(), {QStringLiteral("ROLLBACK")});
    });
    ASSERT_TRUE(other.started());

    ASSERT_TRUE(other.waitForStep());
    {
        Database db;
        EXPECT_NO_THROW(db.open(path())) << "a reader keeps the database from being opened";
    }
    ASSERT_TRUE(other.go());

    ASSERT_TRUE(other.waitForStep());
    {
        Database db;
        try {
            db.open(path());
            ADD_FAILURE() << "opened a database another program is writing";
        } catch (const StoreError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("locked"))) << error.what();
        }
        EXPECT_FALSE(db.isOpen());
    }
    ASSERT_TRUE(other.go());
    EXPECT_EQ(other.finish(), 0);

    Database db;
    db.open(path());
    EXPECT_EQ(value(db, QStringLiteral("SELECT count(*) FROM Catalog")), QStringLiteral("0"));
}

}  // namespace
}  // namespace vlr::store
