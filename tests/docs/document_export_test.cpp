#include "docs/document_export.h"
#include "docs/document_files.h"
#include "docs/document_kind.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "xls/xls_workbook.h"

#include <QFile>

#include <ctime>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

using test::DocumentFilesTest;
using xls::TvteXLSCellKind;

// The value of one cell as the writer will see it: "n:<number>" or "s:<text>".
QString cell(xls::TvteXLSWorksheet& sheet, int column, int row) {
    const xls::TvteXLSRange range = sheet.GetRange(column, row, column, row);
    if (range.CellKind() == TvteXLSCellKind::Number)
        return QStringLiteral("n:") + QString::number(range.Number(), 'g', 17);
    return QStringLiteral("s:") + range.Text();
}

QStringList rowOf(xls::TvteXLSWorksheet& sheet, int row, int columns) {
    QStringList cells;
    for (int c = 0; c < columns; ++c)
        cells << cell(sheet, c, row);
    return cells;
}

QStringList column(xls::TvteXLSWorksheet& sheet, int c) {
    QStringList cells;
    for (int row = 0; row <= sheet.MaxRow(); ++row)
        cells << cell(sheet, c, row);
    return cells;
}

// The sheet's own layout, on the local file.
using DocumentExport = DocumentFilesTest;
// What the sheet makes of the records each database gives.
using ExportedRecords = test::OnBothDatabases<DocumentFilesTest>;

TEST_F(DocumentExport, EmptyFileGivesTheHeaderRowOnly) {
    const int file = addSavedFile(QStringLiteral("пустой"), 1);
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, oskKind(), RecordOrder());
    ASSERT_EQ(workbook.SheetCount(), 1);
    xls::TvteXLSWorksheet& sheet = workbook.Sheet(0);
    EXPECT_EQ(sheet.Name(), QStringLiteral("Sheet1"));
    EXPECT_EQ(sheet.MaxRow(), 0);
    EXPECT_EQ(sheet.MaxCol(), 8);
    EXPECT_EQ(rowOf(sheet, 0, 9),
              (QStringList{"s:N", "s:Дата/Время", "s:Режим", "s:№ зависимости", "s:Класс арматуры",
                           "s:Тип изделия", "s:d, мм", "s:H, мм", "s:Примечание"}));
}

TEST_F(DocumentExport, KindsAreChosenByTheFilesInstrumentKind) {
    EXPECT_EQ(documentKindFor(1), &oskKind());
    for (int vtr : {2, 3, 4})
        EXPECT_EQ(documentKindFor(vtr), &vtrKind());
    EXPECT_EQ(documentKindFor(5), &vtrAsphaltKind());
    EXPECT_EQ(documentKindFor(0), nullptr);
    EXPECT_EQ(documentKindFor(6), nullptr);
    EXPECT_EQ(oskKind().columns.size(), 9);
    EXPECT_EQ(vtrKind().columns.size(), 12);
    ASSERT_EQ(vtrAsphaltKind().columns.size(), 13);
    // The asphalt sheet's own headers differ from the grid's: trailing blanks, F10's title.
    EXPECT_EQ(vtrAsphaltKind().columns[10].header,
              QStringLiteral("Скорость нагружения V, мм/мин. "));
    EXPECT_EQ(vtrAsphaltKind().columns[11].header, QStringLiteral("Работа A, Дж. "));
    EXPECT_EQ(vtrAsphaltKind().columns[11].field, QStringLiteral("F10"));
    EXPECT_EQ(vtrKind().columns[9].field, QStringLiteral("F5"));
    EXPECT_EQ(vtrKind().column(QStringLiteral("t8"))->field, QStringLiteral("T8"));
    EXPECT_EQ(vtrKind().column(QStringLiteral("T4")), nullptr);
}

TEST_P(ExportedRecords, EachFieldBecomesTheCellKindOfItsType) {
    const int file = addSavedFile(QStringLiteral("ВТР"), 2);
    addRecord(file, {{"N", 7},
                     {"DateTime", "2024-03-05 09:07:05"},
                     {"F1", 3},
                     {"F3", 12.5},
                     {"F5", 0.12345},
                     {"T1", "Бетон"},
                     {"T8", "23,5"},
                     {"T9", "строка 1\r\nстрока 2\rконец"}});
    addRecord(file, {{"N", 8}, {"DateTime", "2024-03-06 00:00:00"}, {"Comment", ""}});
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, vtrKind(), RecordOrder());
    xls::TvteXLSWorksheet& sheet = workbook.Sheet(0);
    EXPECT_EQ(rowOf(sheet, 1, 12),
              (QStringList{"n:7", "s:05.03.2024 9:07:05", "n:3", "s:", "s:Бетон", "s:", "n:12.5",
                           "s:23,5", "s:", "n:0.12345", "s:строка 1\nстрока 2\rконец", "s:"}));
    // At exactly midnight only the date is written; an empty note is an empty cell as null is.
    EXPECT_EQ(cell(sheet, 1, 2), QStringLiteral("s:06.03.2024"));
    EXPECT_EQ(cell(sheet, 11, 2), QStringLiteral("s:"));
    EXPECT_EQ(sheet.MaxRow(), 2);
}

TEST_P(ExportedRecords, RowsFollowTheGridsOrderAndOnlyThisFile) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    const int other = addSavedFile(QStringLiteral("другой"), 1);
    addRecord(file, {{"N", 2}, {"DateTime", "2024-01-01 10:00:00"}, {"F1", 5}, {"T4", "Б"}});
    addRecord(other, {{"N", 9}, {"F1", 100}});
    addRecord(file, {{"N", 1}, {"DateTime", "2024-01-01 11:00:00"}, {"F1", 7}, {"T4", "А"}});
    addRecord(file, {{"N", 1}, {"DateTime", "2024-01-01 09:00:00"}, {"F1", 6}, {"T4", "Б"}});

    xls::TvteXLSWorkbook byDefault;
    fillExportWorkbook(byDefault, db_, file, oskKind(), RecordOrder());
    EXPECT_EQ(column(byDefault.Sheet(0), 6), (QStringList{"s:d, мм", "n:6", "n:7", "n:5"}));

    const RecordOrder sorted{{QStringLiteral("T4"), false}, {QStringLiteral("F1"), true}};
    xls::TvteXLSWorkbook bySort;
    fillExportWorkbook(bySort, db_, file, oskKind(), sorted);
    EXPECT_EQ(column(bySort.Sheet(0), 6), (QStringList{"s:d, мм", "n:7", "n:6", "n:5"}));
}

// The format's sheet ends at row 65,535: a file of exactly that many records fits one sheet
// (more records go on in a second sheet: see the round trip of such a file).
TEST_F(DocumentExport, ExactlyOneFullSheetNeedsNoSecondSheet) {
    const int file = addSavedFile(QStringLiteral("ровно"), 1);
    addNumberedRecords(file, kRecordsPerSheet);
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, oskKind(), RecordOrder());
    ASSERT_EQ(workbook.SheetCount(), 1);
    EXPECT_EQ(workbook.Sheet(0).MaxRow(), 65535);
    EXPECT_EQ(cell(workbook.Sheet(0), 0, 65535), QStringLiteral("n:65535"));
}

TEST_F(DocumentExport, UnreadableRowsWriteNothingAndKeepAnOldFile) {
    const int file = addSavedFile(QStringLiteral("ОСК"), 1);
    const QString path = dir_.filePath(QStringLiteral("old.xls"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    db_.close();
    EXPECT_THROW(exportDocument(db_, file, oskKind(), RecordOrder(), path), store::StoreError);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old workbook"));
}

VLR_ON_BOTH_DATABASES(ExportedRecords);

TEST(ExportTexts, SuccessNamesTheFileWithoutItsFolder) {
    EXPECT_EQ(exportSucceededText(QStringLiteral("/home/user/отчёты/export.xls")),
              QStringLiteral("Экспорт в файл export.xls завершен успешно."));
    EXPECT_EQ(exportFailedText(), QStringLiteral("Не могу экспортировать файл!"));
}

}  // namespace
}  // namespace vlr::docs

namespace vlr::docs {
namespace {

// Stored date-times are the instrument's wall clock: a time that the local clock change skips
// (02:30 on the last Sunday of March in Berlin) must come out unchanged.
class WallClockExport : public test::OnBothDatabases<DocumentFilesTest> {
protected:
    void SetUp() override {
        previous_ = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
        DocumentFilesTest::SetUp();
    }
    void TearDown() override {
        if (previous_.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", previous_);
        ::tzset();
    }
    QByteArray previous_;
};

TEST_P(WallClockExport, TimeInAClockChangeGapIsKept) {
    const int file = addSavedFile(QStringLiteral("ВТР"), 2);
    addRecord(file, {{"N", 1}, {"DateTime", "2024-03-31 02:30:00"}});
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, vtrKind(), RecordOrder());
    const xls::TvteXLSRange range = workbook.Sheet(0).GetRange(1, 1, 1, 1);
    EXPECT_EQ(range.Text(), QStringLiteral("31.03.2024 2:30:00"));
}

}  // namespace
VLR_ON_BOTH_DATABASES(WallClockExport);
}  // namespace vlr::docs
