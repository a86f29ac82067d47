#include "docs/document_export.h"
#include "docs/document_files.h"
#include "docs/document_kind.h"
#include "store/statements.h"
#include "xls/xls_workbook.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

using ExportLocaleTest = test::DocumentFilesTest;

// The export under English settings, whose short date format has a two-digit year: the year
// keeps its century, numbers stay numbers and texts formed at reception stay as they were.
TEST_F(ExportLocaleTest, EnglishSettingsKeepTheCenturyOfTheYear) {
    const int file = addSavedFile(QStringLiteral("press"), 2);
    addRecord(file, {{"N", 1},
                     {"DateTime", "2024-03-05 14:07:05"},
                     {"F3", 110.1},
                     {"F5", 0.97},
                     {"T8", "25.7"},
                     {"T9", "1.5 кН/с"}});
    addRecord(file, {{"N", 2}, {"DateTime", "1999-12-31 00:00:00"}});

    // The texts of date-times are formed as the cells are read, so the locale holds throughout.
    struct EnglishSettings {
        EnglishSettings() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
        ~EnglishSettings() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    } english;
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, db_, file, vtrKind(), RecordOrder());

    xls::TvteXLSWorksheet& sheet = workbook.Sheet(0);
    const auto text = [&sheet](int column, int row) {
        return sheet.GetRange(column, row, column, row).Text();
    };
    EXPECT_EQ(text(1, 1), QStringLiteral("3/5/2024 2:07:05 PM"));
    EXPECT_EQ(text(1, 2), QStringLiteral("12/31/1999"));
    EXPECT_EQ(text(7, 1), QStringLiteral("25.7"));
    EXPECT_EQ(text(10, 1), QStringLiteral("1.5 кН/с"));
    const xls::TvteXLSRange load = sheet.GetRange(6, 1, 6, 1);
    EXPECT_EQ(load.CellKind(), xls::TvteXLSCellKind::Number);
    EXPECT_EQ(load.Number(), 110.1);
    EXPECT_EQ(sheet.GetRange(9, 1, 9, 1).Number(), 0.97);
}

}  // namespace
}  // namespace vlr::docs
