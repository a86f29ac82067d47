#include "xls/biff_walker.h"
#include "xls/excel_writer.h"
#include "xls/xls_error.h"
#include "xls/xls_palette.h"

#include <gtest/gtest.h>

namespace vlr::xls {
namespace {

using test::BiffRecord;
using test::hex;
using test::u16;
using test::u32;

std::vector<BiffRecord> globalsOf(const TvteXLSWorkbook& workbook) {
    const auto records = test::walkRecords(buildWorkbookStream(workbook));
    return test::substream(records, 0);
}

// A workbook as the export makes it: header texts and number cells in one sheet.
void fillExportLike(TvteXLSWorkbook& workbook) {
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(0, 0, 0, 0).SetValue(QStringLiteral("N"));
    sheet.GetRange(1, 0, 1, 0).SetValue(QStringLiteral("Примечание"));
    sheet.GetRange(0, 1, 0, 1).SetValue(1);
    sheet.GetRange(1, 1, 1, 1).SetValue(QVariant(QMetaType::fromType<QString>()));
}

TEST(WorkbookGlobals, RecordsComeInTheirOrder) {
    TvteXLSWorkbook workbook;
    fillExportLike(workbook);
    const std::vector<std::uint16_t> expected = {
        0x0809, 0x00E1, 0x00C1, 0x00E2, 0x005C, 0x0042, 0x0161, 0x01C0, 0x013D, 0x009C,
        0x0019, 0x0012, 0x0013, 0x01AF, 0x01BC, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E,
        0x01B7, 0x00DA, 0x0031, 0x0031, 0x0031, 0x0031, 0x0031,          // four defaults + black
        0x041E, 0x041E, 0x041E, 0x041E, 0x041E, 0x041E, 0x041E, 0x041E,  // currency formats
    };
    const auto globals = globalsOf(workbook);
    auto ids = test::idsOf(globals);
    ASSERT_GT(ids.size(), expected.size());
    EXPECT_EQ(std::vector<std::uint16_t>(ids.begin(), ids.begin() + expected.size()), expected);
    ids.erase(ids.begin(), ids.begin() + expected.size());
    // 15 style XFs, 6 fixed cell XFs and the one XF every cell shares.
    EXPECT_EQ(std::vector<std::uint16_t>(ids.begin(), ids.begin() + 22),
              std::vector<std::uint16_t>(22, 0x00E0));
    ids.erase(ids.begin(), ids.begin() + 22);
    EXPECT_EQ(ids, (std::vector<std::uint16_t>{0x0293, 0x0293, 0x0293, 0x0293, 0x0293, 0x0293,
                                               0x0160, 0x0085, 0x008C, 0x00FC, 0x00FF, 0x000A}));
}

TEST(WorkbookGlobals, FixedRecordsHaveTheirBytes) {
    TvteXLSWorkbook workbook;
    fillExportLike(workbook);
    const QByteArray stream = buildWorkbookStream(workbook);
    EXPECT_EQ(stream.left(20), hex("09 08 10 00 00 06 05 00 BB 0D CC 07 00 00 00 00 00 06 00 00"));

    const auto globals = globalsOf(workbook);
    const BiffRecord writeAccess = test::withId(globals, 0x005C).at(0);
    ASSERT_EQ(writeAccess.data.size(), 112);
    EXPECT_EQ(writeAccess.data.left(3), hex("07 00 01"));
    EXPECT_EQ(test::utf16(writeAccess.data, 3, 7), "Quorvel");
    EXPECT_EQ(writeAccess.data.mid(17), QByteArray(112 - 17, ' '));

    EXPECT_EQ(test::withId(globals, 0x003D).at(0).data,
              hex("68 01 1E 00 1E 1D 60 18 38 00 00 00 00 00 01 00 58 02"));
    EXPECT_EQ(test::withId(globals, 0x008C).at(0).data, hex("07 00 07 00"));

    QByteArray styles;
    for (const BiffRecord& style : test::withId(globals, 0x0293)) {
        styles += style.data;
    }
    EXPECT_EQ(styles,
              hex("10 80 04 FF 11 80 07 FF 00 80 00 FF 12 80 05 FF 13 80 03 FF 14 80 06 FF"));

    const auto fonts = test::withId(globals, 0x0031);
    // The defaults use the window-text colour, black in palette terms; weight 100.
    EXPECT_EQ(fonts[0].data, hex("C8 00 00 00 08 00 64 00 00 00 00 00 01 00 05 01") +
                                 hex("41 00 72 00 69 00 61 00 6C 00"));
    EXPECT_EQ(fonts[4].data, fonts[0].data);

    const auto xfs = test::withId(globals, 0x00E0);
    EXPECT_EQ(xfs[0].data, hex("00 00 00 00 F5 FF 20 00 00 00 00 00 00 00 00 00 00 00 C0 20"));
    EXPECT_EQ(xfs[15].data, hex("00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 C0 20"));
    EXPECT_EQ(xfs[21].data, hex("05 00 00 00 01 00 20 00 00 7C 00 00 00 00 00 00 00 00 08 04"));

    const auto formats = test::withId(globals, 0x041E);
    EXPECT_EQ(u16(formats[0].data, 0), 5);
    EXPECT_EQ(test::utf16(formats[0].data, 5, u16(formats[0].data, 2)),
              QStringLiteral("#,##0\"р.\";\\-#,##0\"р.\""));
    EXPECT_EQ(u16(formats[7].data, 0), 43);
}

TEST(WorkbookGlobals, NumbersOnlyWriteNoSharedStrings) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(0, 0, 0, 0).SetValue(1.5);
    sheet.GetRange(1, 0, 1, 0).SetValue(QString());
    sheet.GetRange(2, 0, 2, 0).SetValue(QVariant(QMetaType::fromType<QString>()));
    const auto globals = globalsOf(workbook);
    EXPECT_TRUE(test::withId(globals, 0x00FC).empty());
    EXPECT_TRUE(test::withId(globals, 0x00FF).empty());
}

TEST(WorkbookGlobals, EveryNonEmptyTextIsAStringOfItsOwn) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    for (int row = 0; row < 1000; ++row) {
        sheet.GetRange(0, row, 0, row)
            .SetValue(row < 2 ? QStringLiteral("same") : QStringLiteral("текст %1").arg(row));
    }
    sheet.GetRange(1, 0, 1, 0).SetValue(QString());
    const auto globals = globalsOf(workbook);
    const BiffRecord sst = test::withId(globals, 0x00FC).at(0);
    EXPECT_EQ(u32(sst.data, 0), 1000u);
    EXPECT_EQ(u32(sst.data, 4), 1000u);
    EXPECT_EQ(sst.data.mid(8, 11), hex("04 00 01 73 00 61 00 6D 00 65 00"));
    EXPECT_EQ(sst.data.mid(19, 11), hex("04 00 01 73 00 61 00 6D 00 65 00"));
    const BiffRecord extSst = test::withId(globals, 0x00FF).at(0);
    EXPECT_EQ(u16(extSst.data, 0), 8);
    EXPECT_EQ(extSst.data.size(), 2 + 125 * 8);
    EXPECT_EQ(u32(extSst.data, 2), static_cast<std::uint32_t>(sst.offset + 12));
    EXPECT_EQ(u16(extSst.data, 6), 12);
}

TEST(WorkbookGlobals, TwoSheetsGetTabIdsAndBoundSheetOffsetsOfTheirBofs) {
    TvteXLSWorkbook workbook;
    workbook.AddSheet().GetRange(0, 0, 0, 0).SetValue(1);
    workbook.AddSheet().SetName(QStringLiteral("Лист"));
    const QByteArray stream = buildWorkbookStream(workbook);
    const auto records = test::walkRecords(stream);
    const auto globals = test::substream(records, 0);
    EXPECT_EQ(test::withId(globals, 0x013D).at(0).data, hex("01 00 02 00"));

    const auto sheets = test::withId(globals, 0x0085);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].data.mid(4), hex("00 00 04 01 1B 04 38 04 41 04 42 04"));
    const std::vector<size_t> bofs = test::bofIndexes(records);
    ASSERT_EQ(bofs.size(), 3u);
    for (size_t i = 0; i < 2; ++i) {
        const BiffRecord& bof = records[bofs[i + 1]];
        EXPECT_EQ(u32(sheets[i].data, 0), static_cast<std::uint32_t>(bof.offset));
        EXPECT_EQ(u16(bof.data, 2), 0x0010);  // a worksheet
    }
}

TEST(WorkbookGlobals, FontsFormatsAndColoursAreSharedAndPaletteFollows) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    TvteXLSCellStyle style;
    style.Font.Bold = true;
    style.Font.Color = 0x00123456;  // not in the default palette
    style.Format = QStringLiteral("0.000");
    style.Borders[kBorderBottom].LineStyle = 1;
    style.Borders[kBorderBottom].Color = 0x000000FF;  // red: palette index 10
    sheet.GetRange(0, 0, 0, 0).SetStyle(style);
    style.Format = QStringLiteral("0.000").toUpper();  // same format, other case
    sheet.GetRange(1, 0, 1, 0).SetStyle(style);
    style.Format = QStringLiteral("dd/mm");
    sheet.GetRange(2, 0, 2, 0).SetStyle(style);

    const auto globals = globalsOf(workbook);
    const auto fonts = test::withId(globals, 0x0031);
    ASSERT_EQ(fonts.size(), 5u);           // one bold font shared by all three cells
    EXPECT_EQ(u16(fonts[4].data, 4), 24);  // the first free slot: 9999FF is neither basic nor used
    EXPECT_EQ(u16(fonts[4].data, 6), 1000);

    const auto formats = test::withId(globals, 0x041E);
    ASSERT_EQ(formats.size(), 10u);
    EXPECT_EQ(u16(formats[8].data, 0), 50);
    EXPECT_EQ(u16(formats[9].data, 0), 51);

    const auto xfs = test::withId(globals, 0x00E0);
    ASSERT_EQ(xfs.size(), 21u + 2u);  // "0.000" twice shares an XF
    const QByteArray& xf = xfs[21].data;
    EXPECT_EQ(u16(xf, 0), 5);
    EXPECT_EQ(u16(xf, 2), 50);
    EXPECT_EQ(u16(xf, 10), 0x1000);             // thin bottom edge
    EXPECT_EQ((u32(xf, 14) >> 7) & 0x7F, 10u);  // in red
    EXPECT_EQ(u16(xfs[22].data, 2), 51);

    const auto palette = test::withId(globals, 0x0092);
    ASSERT_EQ(palette.size(), 1u);
    ASSERT_EQ(palette[0].data.size(), 226);
    EXPECT_EQ(u16(palette[0].data, 0), 56);
    EXPECT_EQ(palette[0].data.mid(2 + 16 * 4, 4), hex("56 34 12 00"));
    EXPECT_EQ(palette[0].data.mid(2, 4), hex("00 00 00 00"));
}

TEST(WorkbookGlobals, PaletteKeepsBasicAndUsedColours) {
    TvteXLSPalette palette;
    EXPECT_EQ(palette.ColorIndex(0), 8);
    EXPECT_EQ(palette.ColorIndex(kWindowTextColor), 8);
    EXPECT_EQ(palette.ColorIndex(0x00FF9999), 24);  // 9999FF is in the palette already
    EXPECT_FALSE(palette.changed());
    // 9999FF is used now, so the next new colour goes to the slot after it.
    EXPECT_EQ(palette.ColorIndex(0x00010203), 25);
    EXPECT_TRUE(palette.changed());
    EXPECT_EQ(palette.ColorIndex(0x00010203), 25);
    // 30 more slots hold neither a basic colour nor a used one; after them new colours get 8.
    std::vector<int> indexes;
    for (std::uint32_t color = 0x00100000; color < 0x00100000 + 31; ++color) {
        indexes.push_back(palette.ColorIndex(color));
    }
    EXPECT_EQ(indexes[29], 63);
    EXPECT_EQ(indexes[30], 8);
    palette.reset();
    EXPECT_EQ(palette.ColorIndex(0x00010203), 24);
}

TEST(WorkbookGlobals, TitleIsCutToFitWriteAccess) {
    TvteXLSWorkbook workbook;
    workbook.SetTitle(QString(60, QChar(0x0416)));
    workbook.AddSheet();
    const BiffRecord writeAccess = test::withId(globalsOf(workbook), 0x005C).at(0);
    ASSERT_EQ(writeAccess.data.size(), 112);
    EXPECT_EQ(u16(writeAccess.data, 0), 54);
    EXPECT_EQ(writeAccess.data.right(1), " ");
}

struct LimitCase {
    const char* name;
    int left, top, right, bottom;
};

TEST(WorkbookLimits, RangesBeyondTheFormatAreRefused) {
    const LimitCase refused[] = {
        {"row past 65535", 0, 65536, 0, 65536},
        {"column past 255", 256, 0, 256, 0},
        {"tall range past 65535", 0, 65530, 0, 70000},
        {"negative row", 0, -1, 0, 0},
        {"negative column", -3, 0, 0, 0},
        {"inverted", 5, 0, 2, 0},
    };
    for (const LimitCase& c : refused) {
        TvteXLSWorkbook workbook;
        workbook.AddSheet().GetRange(c.left, c.top, c.right, c.bottom).SetValue(1);
        EXPECT_THROW(buildWorkbookStream(workbook), XlsError) << c.name;
    }
    TvteXLSWorkbook edge;
    edge.AddSheet().GetRange(255, 65535, 255, 65535).SetValue(1);
    EXPECT_NO_THROW(buildWorkbookStream(edge));
}

TEST(WorkbookLimits, ARemovedRangeStillCountsThroughTheBounds) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(0, 70000, 0, 70000);
    sheet.GetRange(0, 0, 0, 70000);
    sheet.GetRange(0, 0, 0, 0);  // removes the tall range; the sheet's bounds stay
    EXPECT_THROW(buildWorkbookStream(workbook), XlsError);
}

TEST(WorkbookLimits, TextLongerThanACountHoldsIsRefused) {
    TvteXLSWorkbook workbook;
    TvteXLSRange cell = workbook.AddSheet().GetRange(0, 0, 0, 0);
    cell.SetValue(QString(65535, QLatin1Char('x')));
    EXPECT_NO_THROW(buildWorkbookStream(workbook));
    cell.SetValue(QString(65536, QLatin1Char('x')));
    try {
        buildWorkbookStream(workbook);
        ADD_FAILURE() << "no error";
    } catch (const XlsError& error) {
        EXPECT_TRUE(error.message().contains("Sheet1"));
    }
}

}  // namespace
}  // namespace vlr::xls
