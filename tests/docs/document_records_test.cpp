#include "docs/document_records.h"
#include "docs/document_files.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

class DocumentRecords : public test::DocumentFilesTest {
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
    QVariant noteOf(int dataId) {
        return firstValue(QStringLiteral("SELECT Comment FROM Data WHERE DataId=%1").arg(dataId));
    }
};

TEST_F(DocumentRecords, DropsCopyTheRowsInSelectionOrderAgainAndAgainSkippingRowsThatFail) {
    const int file = createFile(QStringLiteral("Таблица1"), 2, false);
    const int first = receive(1);
    const int second = receive(2);
    const int third = receive(3);
    // A single-precision value beyond what Data's decimal column holds: its copy fails.
    const int tooLarge = receive(4, 1e14);

    DropResult result = copyReceivedRows(db_, file, {third, first, second});
    EXPECT_EQ(result.copied, 3);
    EXPECT_EQ(result.skipped, 0);
    result = copyReceivedRows(db_, file, {second, tooLarge, third, 99999});
    EXPECT_EQ(result.copied, 2);  // the unknown id copies nothing, without failing
    EXPECT_EQ(result.skipped, 1);
    EXPECT_EQ(numbersInFile(file), (QVariantList{3, 1, 2, 2, 3}));
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("Comment IS NULL")), 5);
    EXPECT_EQ(count(QStringLiteral("Data_Comm")), 4);  // a drop copies, it does not move

    // A transaction that cannot begin lands nothing and says so.
    QSqlDatabase connection = db_.connection();
    ASSERT_TRUE(connection.transaction());
    EXPECT_THROW(copyReceivedRows(db_, file, {first}), store::StoreError);
    connection.rollback();
    EXPECT_EQ(count(QStringLiteral("Data")), 5);
}

TEST_F(DocumentRecords, NotesUpToTheColumnsLengthAreStoredWholeAndLongerOnesRefused) {
    const int file = addSavedFile(QStringLiteral("ВТР"), 2);
    addRecord(file, {{"N", 1}});
    const int record = firstValue(QStringLiteral("SELECT max(DataId) FROM Data")).toInt();

    const QString full(kNoteLength, QChar(u'ж'));
    editNote(db_, record, full);
    EXPECT_EQ(noteOf(record).toString(), full);

    const QString tooLong = full + QLatin1Char('!');
    EXPECT_TRUE(noteFits(full));
    EXPECT_FALSE(noteFits(tooLong));
    EXPECT_TRUE(noteTooLongText(tooLong).contains(QStringLiteral("101")));
    EXPECT_THROW(editNote(db_, record, tooLong), store::StoreError);
    EXPECT_EQ(noteOf(record).toString(), full);

    editNote(db_, record, QString());
    EXPECT_EQ(
        firstValue(QStringLiteral("SELECT typeof(Comment) FROM Data WHERE DataId=%1").arg(record))
            .toString(),
        QStringLiteral("text"));
    EXPECT_EQ(noteOf(record).toString(), QString());
}

TEST_F(DocumentRecords, RowsComeInTheOrderOfTheSortedColumnsAndDeletionTakesThemAtOnce) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    addRecord(file, {{"N", 1}, {"T4", "Б"}, {"F1", 12.5}, {"DateTime", "2024-03-31 02:30:00"}});
    addRecord(file, {{"N", 2}, {"T4", "А"}, {"F1", 10.0}, {"Comment", "тонкий"}});
    addRecord(file, {{"N", 3}, {"T4", "Б"}, {"F1", 16.0}});
    addRecord(addSavedFile(QStringLiteral("другой"), 1), {{"N", 4}});

    // DataId hidden in front: its place in the column order does not make it sorted.
    const store::Statement search = sortedSearchStatement({{"DataId", ColumnSort::None},
                                                           {"N", ColumnSort::None},
                                                           {"T4", ColumnSort::Ascending},
                                                           {"F1", ColumnSort::Descending}});
    EXPECT_TRUE(search.text.endsWith(QStringLiteral("\norder by T4, F1 DESC;")));
    EXPECT_TRUE(sortedSearchStatement({{"N", ColumnSort::None}})
                    .text.endsWith(QStringLiteral("\norder by N, DateTime;")));

    DocumentRows rows =
        readDocumentRows(db_, search, file, {"DataId", "N", "DateTime", "T4", "F1", "Comment"});
    ASSERT_EQ(rows.rows.size(), 3u);
    QVariantList numbers;
    for (const QVariantList& row : rows.rows)
        numbers << row[1];
    EXPECT_EQ(numbers, (QVariantList{2, 3, 1}));
    const QVariantList& last = rows.rows[2];
    EXPECT_EQ(last[1].typeId(), QMetaType::Int);
    // A wall-clock reading in the hour a spring clock change skips keeps its time.
    EXPECT_EQ(last[2].toDateTime().time(), QTime(2, 30));
    EXPECT_EQ(last[3].toString(), QStringLiteral("Б"));
    EXPECT_EQ(last[4].typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(last[4].toDouble(), 12.5);
    EXPECT_TRUE(last[5].isNull());
    EXPECT_EQ(rows.rows[0][5].toString(), QStringLiteral("тонкий"));
    EXPECT_THROW(readDocumentRows(db_, search, file, {"NoSuchField"}), store::StoreError);

    deleteRecords(db_, {rows.rows[0][0].toInt(), rows.rows[2][0].toInt()});
    EXPECT_EQ(count(QStringLiteral("Data"), QStringLiteral("FileNameId=%1").arg(file)), 1);
    EXPECT_EQ(count(QStringLiteral("Data")), 2);
}

}  // namespace
}  // namespace vlr::docs
