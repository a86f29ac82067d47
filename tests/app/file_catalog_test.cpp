#include "app/file_catalog.h"

#include "support/other_connection.h"
#include "support/temp_database.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

namespace vlr::app {
namespace {

class FileCatalogTest : public test::BothDatabasesTest {
protected:
    void addRecords(int fileNameId, int count) {
        QSqlQuery query(db_.connection());
        for (int n = 1; n <= count; ++n) {
            ASSERT_TRUE(
                query.exec(QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, %2)")
                               .arg(fileNameId)
                               .arg(n)));
        }
    }
};

// A file's life: two temporary files of one name keep their own ids, a saved one is listed, a
// name typed with quotes is kept as typed, an over-long one leaves the file temporary.
TEST_P(FileCatalogTest, FilesAreCreatedSavedListedAndDeletedByTheirOwnIds) {
    const FileCatalog files(db_);
    const std::optional<int> first = files.CreateCatalogFile(QStringLiteral("Таблица1"), false, 5);
    const std::optional<int> second = files.CreateCatalogFile(QStringLiteral("Таблица1"), false, 2);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(
        firstValue(
            QStringLiteral("SELECT DeviceListId FROM Catalog WHERE FileNameId=%1").arg(*second))
            .toInt(),
        2);
    EXPECT_FALSE(files.IsFileSaved(*first));
    EXPECT_FALSE(files.IsFileSaved(9999));

    const QString typed = QStringLiteral("Б'; DROP TABLE Catalog; --");
    EXPECT_TRUE(files.saveFile(*second, typed));
    EXPECT_TRUE(files.IsFileSaved(*second));
    EXPECT_FALSE(files.saveFile(*first, QString(51, QLatin1Char('x'))));
    EXPECT_FALSE(files.IsFileSaved(*first));
    EXPECT_TRUE(files.saveFile(*first, QString(50, QLatin1Char('x'))));

    const std::optional<QVector<CatalogEntry>> listed = files.savedFiles();
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->size(), 2);
    EXPECT_EQ(listed->at(0).fileName, typed);  // by name in Russian order: Cyrillic first
    EXPECT_EQ(listed->at(0).deviceListId, 2);
    EXPECT_TRUE(listed->at(1).dataTime.isValid());

    addRecords(*second, 3);
    addRecords(*first, 1);
    EXPECT_TRUE(files.deleteFile(*second));
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("FileNameId=%1").arg(*second)), 0);
    EXPECT_EQ(count(QStringLiteral("Data")), 1);
    EXPECT_EQ(files.savedFiles()->size(), 1);
}

TEST_P(FileCatalogTest, FailuresAreResultsAndADeleteStopsAtTheFirstFailingStatement) {
    const FileCatalog files(db_);
    const int id = *files.CreateCatalogFile(QStringLiteral("Протокол"), true, 1);
    addRecords(id, 2);
    // Another program keeps the catalog rows, in each engine's own words.
    if (backend() == test::Backend::Server) {
        QSqlQuery other(db_.connection());
        ASSERT_TRUE(other.exec(
            QStringLiteral("CREATE FUNCTION keep() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                           "RAISE 'kept'; END $$")));
        ASSERT_TRUE(other.exec(QStringLiteral(
            "CREATE TRIGGER keep_catalog BEFORE DELETE ON Catalog FOR EACH ROW EXECUTE "
            "FUNCTION keep()")));
    } else {
        test::OtherConnection other(databasePath());
        ASSERT_TRUE(other.query().exec(QStringLiteral(
            "CREATE TRIGGER keep_catalog BEFORE DELETE ON Catalog BEGIN SELECT RAISE(ABORT, "
            "'kept'); END")));
    }
    EXPECT_FALSE(files.deleteFile(id));
    // The records went, the catalog row stays listed.
    EXPECT_EQ(count(QStringLiteral("Data")), 0);
    EXPECT_EQ(files.savedFiles()->size(), 1);

    if (backend() == test::Backend::Server) {
        QSqlQuery other(db_.connection());
        ASSERT_TRUE(other.exec(QStringLiteral("ALTER TABLE Catalog RENAME TO Gone")));
    } else {
        test::OtherConnection other(databasePath());
        ASSERT_TRUE(other.query().exec(QStringLiteral("ALTER TABLE Catalog RENAME TO Gone")));
    }
    EXPECT_FALSE(files.CreateCatalogFile(QStringLiteral("Таблица1"), false, 1));
    EXPECT_FALSE(files.savedFiles());
    EXPECT_FALSE(files.IsFileSaved(id));
    EXPECT_FALSE(files.saveFile(id, QStringLiteral("Новое")));
}

}  // namespace
VLR_ON_BOTH_DATABASES(FileCatalogTest);

}  // namespace vlr::app
