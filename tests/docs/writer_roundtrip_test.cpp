#include "docs/independent_reader.h"
#include "xls/excel_writer.h"
#include "xls/xls_error.h"
#include "xls/xls_workbook.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

// Workbooks written straight through the writer, read back by the independent readers: the
// cases an export reaches only by chance.
class WriterRoundTrip : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    ReaderView save(const xls::TvteXLSWorkbook& workbook) {
        const QString path = dir_.filePath(QStringLiteral("book.xls"));
        xls::TvteExcelWriter().SaveToFile(workbook, path);
        return readWithIndependentReaders(path);
    }

    static QJsonValue cellAt(const ReaderView& view, int sheet, int row, int column) {
        return view.sheets.at(sheet).toArray().at(row).toArray().at(column);
    }

    QTemporaryDir dir_;
};

// The first string of the shared strings has 8,212 bytes of room for its characters in the
// first record. With one to four leading letters before a run of characters outside the
// Basic Multilingual Plane, the end of that room falls once inside a surrogate pair and once
// between two pairs, for each parity; the texts must come back whole either way.
TEST_F(WriterRoundTrip, TextsSplitAcrossRecordsKeepTheirSurrogatePairs) {
    for (int lead = 1; lead <= 4; ++lead) {
        SCOPED_TRACE(lead);
        QString text(lead, QLatin1Char('a'));
        for (int i = 0; i < 2100; ++i)
            text += QStringLiteral("😀");
        xls::TvteXLSWorkbook workbook;
        xls::TvteXLSWorksheet& sheet = workbook.AddSheet();
        sheet.GetRange(0, 0, 0, 0).SetValue(text);
        const QString tail = text.right(8) + QStringLiteral("конец");
        sheet.GetRange(1, 0, 1, 0).SetValue(tail);
        const ReaderView view = save(workbook);
        EXPECT_EQ(view.problem, QString());
        // Compared as a whole: a difference would print thousands of characters.
        EXPECT_TRUE(cellAt(view, 0, 0, 0).toString() == text);
        EXPECT_EQ(cellAt(view, 0, 0, 1).toString(), tail);
    }
}

TEST_F(WriterRoundTrip, CellsAtTheFormatsLastRowAndColumnAndSeveralSheets) {
    xls::TvteXLSWorkbook workbook;
    xls::TvteXLSWorksheet& first = workbook.AddSheet();
    first.GetRange(0, 0, 0, 0).SetValue(QStringLiteral("начало"));
    first.GetRange(255, 65535, 255, 65535).SetValue(2.5);
    first.GetRange(254, 65535, 254, 65535).SetValue(QStringLiteral("угол"));
    xls::TvteXLSWorksheet& second = workbook.AddSheet();
    second.SetName(QStringLiteral("Лист ВТР"));
    second.GetRange(3, 2, 3, 2).SetValue(-1e-5);

    const ReaderView view = save(workbook);
    EXPECT_EQ(view.problem, QString());
    ASSERT_EQ(view.sheets.size(), 2);
    EXPECT_EQ(view.sheetNames, (QStringList{"Sheet1", "Лист ВТР"}));
    EXPECT_EQ(cellAt(view, 0, 0, 0).toString(), QStringLiteral("начало"));
    EXPECT_EQ(cellAt(view, 0, 65535, 255).toDouble(), 2.5);
    EXPECT_EQ(cellAt(view, 0, 65535, 254).toString(), QStringLiteral("угол"));
    EXPECT_EQ(cellAt(view, 1, 2, 3).toDouble(), -1e-5);
}

// A sheet beyond the format's rows cannot be written; the file it would have replaced stays.
TEST_F(WriterRoundTrip, RefusedWorkbookLeavesTheOldFile) {
    const QString path = dir_.filePath(QStringLiteral("book.xls"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    xls::TvteXLSWorkbook workbook;
    workbook.AddSheet().GetRange(0, 65536, 0, 65536).SetValue(1.0);
    EXPECT_THROW(xls::TvteExcelWriter().SaveToFile(workbook, path), xls::XlsError);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old workbook"));
}

}  // namespace
}  // namespace vlr::docs
