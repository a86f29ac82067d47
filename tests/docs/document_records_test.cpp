#include "docs/document_records.h"
#include "docs/document_files.h"
#include "docs/file_records.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

class DocumentRecords : public test::OnBothDatabases<test::DocumentFilesTest> {
protected:
    // A received VTR row numbered n; returns its Data_Comm.DataId.
    int receive(int n, double f1 = 1.5) {
        store::Query(db_, store::ADOQuery_CommAdd())
            .set(QStringLiteral("PN"), n)
            .set(QStringLiteral("PDateTime"),
                 QStringLiteral("2024-03-05 09:07:%1").arg(n, 2, 10, QChar('0')))
            .set(QStringLiteral("PDeviceListId"), 2)
            .set(QStringLiteral("PF1"), f1)
            .set(QStringLiteral("PT1"), QStringLiteral("бетон %1").arg(n))
            .exec();
        return firstValue(QStringLiteral("SELECT max(DataId) FROM Data_Comm")).toInt();
    }
    // The N of a file's records in the order they were added.
    QVariantList numbersInFile(int file) {
        QVariantList numbers;
        QSqlQuery query(db_.connection());
        query.exec(
            QStringLiteral("SELECT N FROM Data WHERE FileNameId=%1 ORDER BY DataId").arg(file));
        while (query.next())
            numbers << query.value(0);
        return numbers;
    }
};

// A drop adds the rows in the order given, twice when given twice, and nothing for an unknown
// id. A row whose copy fails (a single beyond what Data's column holds) is skipped alone on the
// local file; on a server it fails the whole drop, which lands nothing.
TEST_P(DocumentRecords, ADropCopiesInOrderAndARowThatCannotBeCopiedFailsAsItsEngineSays) {
    const int file = createFile(QStringLiteral("Таблица1"), 2, false);
    const int first = receive(1);
    const int tooLarge = receive(2, 1e14);
    const int third = receive(3);

    DropResult result = copyReceivedRows(db_, file, {third, first, 99999, third});
    EXPECT_EQ(result.copied, 3);
    EXPECT_EQ(result.skipped, 0);
    EXPECT_EQ(numbersInFile(file), (QVariantList{3, 1, 3}));

    if (backend() == test::Backend::File) {
        result = copyReceivedRows(db_, file, {first, tooLarge, third});
        EXPECT_EQ(result.copied, 2);
        EXPECT_EQ(result.skipped, 1);
        EXPECT_EQ(numbersInFile(file), (QVariantList{3, 1, 3, 1, 3}));
    } else {
        EXPECT_THROW(copyReceivedRows(db_, file, {first, tooLarge, third}), store::StoreError);
        EXPECT_EQ(numbersInFile(file), (QVariantList{3, 1, 3}));
    }

    // A drop is a transaction of its own: inside one its caller began it is refused.
    const int before = count(QStringLiteral("Data"));
    QSqlDatabase connection = db_.connection();
    ASSERT_TRUE(connection.transaction());
    EXPECT_THROW(copyReceivedRows(db_, file, {first}), store::StoreError);
    connection.rollback();
    EXPECT_EQ(count(QStringLiteral("Data")), before);
}

TEST_P(DocumentRecords, NotesFillTheWholeColumnAndRowsReadAsTheGridShowsThem) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    addRecord(file, {{"N", 1}, {"F1", 12.5}, {"T4", "Б"}, {"DateTime", "2024-03-31 02:30:00"}});
    const int record = firstValue(QStringLiteral("SELECT max(DataId) FROM Data")).toInt();

    const QString full(kNoteLength, QChar(u'ж'));
    editNote(db_, record, full);
    EXPECT_FALSE(noteFits(full + QLatin1Char('!')));
    EXPECT_THROW(editNote(db_, record, full + QLatin1Char('!')), store::StoreError);
    EXPECT_EQ(firstValue(QStringLiteral("SELECT Comment FROM Data")).toString(), full);

    const FileRecords records(db_, file, {}, {"DataId", "N", "DateTime", "F1", "T4", "T5"});
    ASSERT_EQ(records.count(), 1);
    EXPECT_EQ(records.value(0, 0), QVariant(record));
    EXPECT_EQ(records.value(0, 1).typeId(), QMetaType::Int);
    // A wall-clock reading in the hour a spring clock change skips keeps its time.
    EXPECT_EQ(records.value(0, 2).toDateTime().time(), QTime(2, 30));
    EXPECT_EQ(records.value(0, 3), QVariant(12.5));
    EXPECT_EQ(records.value(0, 4), QVariant(QStringLiteral("Б")));
    EXPECT_TRUE(records.value(0, 5).isNull());
}

}  // namespace
VLR_ON_BOTH_DATABASES(DocumentRecords);

}  // namespace vlr::docs
