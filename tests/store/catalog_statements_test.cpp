#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/temp_database.h"

#include <QSqlQuery>

namespace vlr::store {
namespace {

using CatalogStatementsTest = test::BothDatabasesTest;

QStringList column(QSqlQuery& rows, const char* name) {
    QStringList values;
    while (rows.next())
        values << rows.value(QString::fromLatin1(name)).toString();
    return values;
}

// The local reading of the clock, as the stored date-times are read back.
QDateTime wallClock(const QDateTime& local) {
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

TEST_P(CatalogStatementsTest,
       CreateFileStoresSavedAndTemporaryFilesWithTheDatabaseFillingDataTime) {
    const QDateTime before = wallClock(QDateTime::currentDateTime().addSecs(-1));
    const int saved = createFile(QStringLiteral("Образцы"), 2, true);
    const int temporary = createFile(QStringLiteral("Таблица1"), 1, false);
    const QDateTime after = wallClock(QDateTime::currentDateTime().addSecs(1));
    EXPECT_GT(temporary, saved);

    Query find(db_, ADOQuery_FindFile());
    QSqlQuery& rows = find.set(QStringLiteral("PFileNameId"), temporary).open();
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.value(QStringLiteral("FileName")).toString(), QStringLiteral("Таблица1"));
    EXPECT_EQ(rows.value(QStringLiteral("DeviceListId")).toInt(), 1);
    EXPECT_EQ(rows.value(QStringLiteral("FileSaved")).toInt(), 0);
    EXPECT_TRUE(rows.value(QStringLiteral("Comment")).isNull());
    // Filled with the local date and time of the insert, in the stored text form.
    const QDateTime stamped = fromStoredDateTime(rows.value(QStringLiteral("DataTime")));
    ASSERT_TRUE(stamped.isValid())
        << rows.value(QStringLiteral("DataTime")).toString().toStdString();
    EXPECT_LE(before, stamped);
    EXPECT_GE(after, stamped);
    EXPECT_FALSE(rows.next());
}

TEST_P(CatalogStatementsTest, CreateFileDefaultsAndANullFlagStillMakeATemporaryFile) {
    Query(db_, ADOQuery_CreateFile()).exec();
    Query(db_, ADOQuery_CreateFile())
        .set(QStringLiteral("PFileName"), QStringLiteral("x"))
        .set(QStringLiteral("PFileSaved"), QVariant())
        .exec();
    EXPECT_EQ(count(QStringLiteral("Catalog"), QStringLiteral("FileSaved = 0")), 2);
    EXPECT_EQ(firstValue(QStringLiteral("SELECT FileName FROM Catalog ORDER BY FileNameId")),
              QVariant(QString()));
    EXPECT_EQ(count(QStringLiteral("Catalog"), QStringLiteral("DeviceListId IS NULL")), 2);
}

TEST_P(CatalogStatementsTest, FindFileIdReturnsOnlyTheRowsOfTheRequestedSavedState) {
    const int saved = createFile(QStringLiteral("Таблица1"), 1, true);
    const int temporary = createFile(QStringLiteral("Таблица1"), 1, false);
    createFile(QStringLiteral("Таблица2"), 1, false);

    Query find(db_, ADOQuery_FindFileId());
    find.set(QStringLiteral("PFileName"), QStringLiteral("Таблица1"));
    EXPECT_EQ(column(find.open(), "FileNameId"), QStringList{QString::number(saved)})
        << "saved is the declared default";
    find.set(QStringLiteral("PFileSaved"), false);
    EXPECT_EQ(column(find.open(), "FileNameId"), QStringList{QString::number(temporary)});
    find.set(QStringLiteral("PFileName"), QStringLiteral("Таблица3"));
    EXPECT_TRUE(column(find.open(), "FileNameId").isEmpty());
}

TEST_P(CatalogStatementsTest, SaveFileNamesAndMarksOnlyItsOwnRow) {
    const int first = createFile(QStringLiteral("Таблица1"), 1, false);
    const int second = createFile(QStringLiteral("Таблица2"), 2, false);
    EXPECT_EQ(Query(db_, ADOQuery_SaveFile())
                  .set(QStringLiteral("PFileNameId"), first)
                  .set(QStringLiteral("PFileName"), QStringLiteral("Плиты перекрытия"))
                  .exec(),
              1);
    EXPECT_EQ(firstValue(QStringLiteral("SELECT FileName || '/' || FileSaved FROM Catalog "
                                        "WHERE FileNameId = %1")
                             .arg(first)),
              QVariant(QStringLiteral("Плиты перекрытия/1")));
    EXPECT_EQ(firstValue(QStringLiteral("SELECT FileName || '/' || FileSaved FROM Catalog "
                                        "WHERE FileNameId = %1")
                             .arg(second)),
              QVariant(QStringLiteral("Таблица2/0")));
    // A name longer than the parameter's 50 characters fails before touching the row.
    EXPECT_THROW(
        Query(db_, ADOQuery_SaveFile()).set(QStringLiteral("PFileName"), QString(51, QChar(u'ж'))),
        StoreError);
}

TEST_P(CatalogStatementsTest, CatalogSearchListsSavedFilesByNameTheOlderOfTwoNamesakesFirst) {
    const int newer = createFile(QStringLiteral("Балки"), 1, true);
    const int older = createFile(QStringLiteral("Балки"), 2, true);
    const int arches = createFile(QStringLiteral("Арки"), 1, true);
    createFile(QStringLiteral("Временный"), 1, false);
    // The row created second is the older one: only DataTime decides between namesakes.
    QSqlQuery age(db_.connection());
    ASSERT_TRUE(age.exec(QStringLiteral("UPDATE Catalog SET DataTime = '2013-05-01 10:00:00' "
                                        "WHERE FileNameId = %1")
                             .arg(newer)));
    ASSERT_TRUE(age.exec(QStringLiteral("UPDATE Catalog SET DataTime = '2013-04-30 23:59:59' "
                                        "WHERE FileNameId = %1")
                             .arg(older)));

    Query search(db_, ADOQuery_CatalogSearch());
    QSqlQuery& rows = search.open();
    QStringList listed;
    while (rows.next())
        listed << rows.value(QStringLiteral("FileName")).toString() + QLatin1Char('#') +
                      rows.value(QStringLiteral("FileNameId")).toString();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Арки#%1").arg(arches),
                                   QStringLiteral("Балки#%1").arg(older),
                                   QStringLiteral("Балки#%1").arg(newer)}));
}

TEST_P(CatalogStatementsTest, DeletingAFileRemovesItsRecordsAndRowOnly) {
    const int doomed = createFile(QStringLiteral("a"), 1, true);
    const int kept = createFile(QStringLiteral("b"), 1, true);
    QSqlQuery insert(db_.connection());
    for (int file : {doomed, doomed, kept})
        ASSERT_TRUE(insert.exec(
            QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, 1)").arg(file)));

    EXPECT_EQ(Query(db_, ADOQuery_DeleteData()).set(QStringLiteral("PFileNameId"), doomed).exec(),
              2);
    EXPECT_EQ(Query(db_, ADOQuery_DeleteFile()).set(QStringLiteral("PFileNameId"), doomed).exec(),
              1);
    EXPECT_EQ(count(QStringLiteral("Data")), 1);
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("FileNameId = %1").arg(kept)), 1);
    EXPECT_EQ(count(QStringLiteral("Catalog")), 1);
}

TEST_P(CatalogStatementsTest, CleanUpRemovesReceivedRowsAndUnsavedFilesWithTheirRecordsOnly) {
    const int saved = createFile(QStringLiteral("Сохранённый"), 1, true);
    const int temporary = createFile(QStringLiteral("Таблица1"), 1, false);
    QSqlQuery insert(db_.connection());
    for (int file : {saved, saved, temporary, temporary, temporary})
        ASSERT_TRUE(insert.exec(
            QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, 7)").arg(file)));
    Query(db_, ADOQuery_CommAdd()).set(QStringLiteral("PN"), 1).exec();
    Query(db_, ADOQuery_CommAdd())
        .set(QStringLiteral("PN"), 2)
        .set(QStringLiteral("PDeviceNArc"), 1)
        .exec();

    // In this order: the records are found through the catalog rows removed last.
    EXPECT_EQ(Query(db_, ADOQuery_CommDeleteAll()).exec(), 2);
    EXPECT_EQ(Query(db_, ADOQuery_TempDeleteData()).exec(), 3);
    EXPECT_EQ(Query(db_, ADOQuery_TempDelete()).exec(), 1);

    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 0);
    EXPECT_EQ(count(QStringLiteral("Data")), 2);
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("FileNameId = %1").arg(saved)), 2);
    EXPECT_EQ(count(QStringLiteral("Catalog")), 1);
    EXPECT_EQ(firstValue(QStringLiteral("SELECT FileNameId FROM Catalog")).toInt(), saved);
}

TEST_P(CatalogStatementsTest, IdsAreNeverReusedAfterTheLastRowIsDeleted) {
    const int first = createFile(QStringLiteral("a"), 1, false);
    Query(db_, ADOQuery_TempDelete()).exec();
    EXPECT_EQ(createFile(QStringLiteral("b"), 1, false), first + 1);
}

}  // namespace
VLR_ON_BOTH_DATABASES(CatalogStatementsTest);

}  // namespace vlr::store
