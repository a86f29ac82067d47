#include "store/database.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "support/other_connection.h"

#include <gtest/gtest.h>

#include "support/file_size_limit.h"
#include "support/qt_printers.h"

namespace vlr::store {
namespace {

class DatabaseOpenTest : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(Database::fileName()); }

    void writeFile(const QByteArray& bytes) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Runs statements on a connection of its own to path(), as another program would.
    void alter(const QStringList& statements) {
        const vlr::test::OtherConnection other(path());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        for (const QString& statement : statements)
            ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }

    void expectOpenFails(const char* why) {
        Database db;
        EXPECT_THROW(db.open(path()), StoreError) << why;
        EXPECT_FALSE(db.isOpen());
    }

    QTemporaryDir dir_;
};

TEST_F(DatabaseOpenTest, AMissingOrEmptyFileGetsTheSchema) {
    for (bool empty : {false, true}) {
        QFile::remove(path());
        if (empty)
            writeFile(QByteArray());
        Database db;
        db.open(path());
        EXPECT_TRUE(db.isOpen());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM DeviceList")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 5);
    }
}

TEST_F(DatabaseOpenTest, AnExistingDatabaseIsOpenedAsItIs) {
    {
        Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('kept')")));
    }
    Database db;
    db.open(path());
    QSqlQuery query(db.connection());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT FileName FROM Catalog")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("kept"));
}

TEST_F(DatabaseOpenTest, AFileOfAnotherKindIsRefusedAndLeftAlone) {
    // The first bytes of an old Access database file.
    QByteArray jet("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    jet.append(2048, '\x5a');
    writeFile(jet);
    expectOpenFails("not a database of this program");
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), jet);
}

TEST_F(DatabaseOpenTest, ADamagedDatabaseIsRefused) {
    { Database().open(path()); }
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(100);
    file.write(QByteArray(4000, '\xff'));
    file.close();
    expectOpenFails("damaged");
}

TEST_F(DatabaseOpenTest, ADatabaseMissingATableOrAColumnIsRefused) {
    { Database().open(path()); }
    alter({QStringLiteral("DROP TABLE Data_Comm")});
    expectOpenFails("no Data_Comm");

    QFile::remove(path());
    { Database().open(path()); }
    alter({QStringLiteral("ALTER TABLE Catalog DROP COLUMN Comment")});
    expectOpenFails("no Catalog.Comment");
}

TEST_F(DatabaseOpenTest, AFolderInPlaceOfTheFileIsRefused) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(Database::fileName()));
    expectOpenFails("a folder");
}

TEST_F(DatabaseOpenTest, ADatabaseThatCannotBeWrittenIsRefusedAndKeepsItsData) {
    {
        Database db;
        db.open(path());
        QSqlQuery query(db.connection());
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('kept')")));
    }
    {
        // No room for the journal that every change needs, as on a full disk.
        test::FileSizeLimit limit(0);
        ASSERT_TRUE(limit.active());
        expectOpenFails("cannot be written");
    }
    Database db;
    db.open(path());
    QSqlQuery query(db.connection());
    ASSERT_TRUE(
        query.exec(QStringLiteral("SELECT group_concat(FileName), max(FileNameId) FROM Catalog")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("kept"));
    EXPECT_EQ(query.value(1).toInt(), 1);
}

TEST_F(DatabaseOpenTest, ADatabaseHeldInAWriteTransactionByAnotherProgramIsRefused) {
    { Database().open(path()); }
    {
        const vlr::test::OtherConnection other(path());
        ASSERT_TRUE(other.isOpen());
        QSqlQuery query = other.query();
        ASSERT_TRUE(query.exec(QStringLiteral("BEGIN IMMEDIATE")));
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Catalog (FileName) VALUES ('x')")));

        Database db;
        try {
            db.open(path());
            ADD_FAILURE() << "opened a database another program is writing";
        } catch (const StoreError& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("locked"))) << error.what();
        }
        ASSERT_TRUE(query.exec(QStringLiteral("ROLLBACK")));
        // Once the other program is done the file is usable again.
        EXPECT_NO_THROW(db.open(path()));
    }
}

}  // namespace
}  // namespace vlr::store
