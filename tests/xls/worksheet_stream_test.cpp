#include "piecewise_stream.h"
#include "xls/biff_walker.h"
#include "xls/excel_writer.h"

#include <gtest/gtest.h>

namespace vlr::xls {
namespace {

using test::BiffRecord;
using test::hex;
using test::u16;
using test::u32;

constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kMergedCells = 0x00E5;

struct Written {
    QByteArray stream;
    std::vector<BiffRecord> records;
    std::vector<std::vector<BiffRecord>> sheets;
};

Written write(const TvteXLSWorkbook& workbook) {
    Written written;
    written.stream = buildWorkbookStream(workbook);
    written.records = test::walkRecords(written.stream);
    const std::vector<size_t> bofs = test::bofIndexes(written.records);
    for (size_t i = 1; i < bofs.size(); ++i) {
        written.sheets.push_back(test::substream(written.records, bofs[i]));
    }
    return written;
}

const BiffRecord* recordAt(const Written& written, qsizetype offset) {
    for (const BiffRecord& record : written.records) {
        if (record.offset == offset) {
            return &record;
        }
    }
    return nullptr;
}

void fill(TvteXLSWorksheet& sheet, int rows, int columns) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            sheet.GetRange(column, row, column, row).SetValue(row * 100 + column);
        }
    }
}

TEST(WorksheetStream, AnEmptySheetHasItsRecordsWithoutCells) {
    TvteXLSWorkbook workbook;
    workbook.AddSheet();
    const Written written = write(workbook);
    ASSERT_EQ(written.sheets.size(), 1u);
    const auto& sheet = written.sheets[0];
    EXPECT_EQ(
        test::idsOf(sheet),
        (std::vector<std::uint16_t>{0x0809, kIndex, 0x000D, 0x000C,      0x000F, 0x0011, 0x0010,
                                    0x005F, 0x002A, 0x002B, 0x0082,      0x0080, 0x0225, 0x0081,
                                    0x0014, 0x0015, 0x0083, 0x0084,      0x0026, 0x0027, 0x0028,
                                    0x0029, 0x00A1, 0x0055, kDimensions, 0x023E, 0x001D, 0x000A}));
    EXPECT_EQ(sheet[0].data, hex("00 06 10 00 BB 0D CC 07 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(sheet[1].data, QByteArray(16, '\0'));
    EXPECT_EQ(test::withId(sheet, kDimensions).at(0).data, QByteArray(14, '\0'));
    EXPECT_EQ(test::withId(sheet, 0x0010).at(0).data, hex("FC A9 F1 D2 4D 62 50 3F"));
    EXPECT_EQ(test::withId(sheet, 0x0081).at(0).data, hex("C1 04"));
    EXPECT_EQ(test::withId(sheet, 0x0225).at(0).data, hex("00 00 FF 00"));
    EXPECT_TRUE(test::withId(sheet, 0x0014).at(0).data.isEmpty());
    EXPECT_TRUE(test::withId(sheet, 0x0015).at(0).data.isEmpty());
    EXPECT_EQ(test::withId(sheet, 0x0026).at(0).data, hex("00 00 00 00 00 00 00 40"));
    EXPECT_EQ(test::withId(sheet, 0x00A1).at(0).data,
              hex("09 00 64 00 01 00 01 00 01 00 02 00") + QByteArray(22, '\0'));
    EXPECT_EQ(test::withId(sheet, 0x023E).at(0).data,
              hex("B6 06 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(test::withId(sheet, 0x001D).at(0).data,
              hex("03 00 00 00 00 00 00 01 00 00 00 00 00 00 00"));
}

TEST(WorksheetStream, PageSetupFeedsHeaderFooterAndSetup) {
    TvteXLSWorkbook workbook;
    TvteXLSPageSetup& setup = workbook.AddSheet().PageSetup();
    setup.HeaderLeft = QStringLiteral("Лево");
    setup.HeaderRight = QStringLiteral("R");
    setup.FooterCenter = QStringLiteral("c");
    setup.Orientation = 1;
    setup.BlackAndWhite = true;
    setup.FirstPageNumber = 3;
    setup.PrintGridlines = true;
    const Written written = write(workbook);
    const auto& sheet = written.sheets.at(0);
    const QByteArray header = test::withId(sheet, 0x0014).at(0).data;
    EXPECT_EQ(u16(header, 0), 9);
    EXPECT_EQ(header.at(2), 1);
    EXPECT_EQ(test::utf16(header, 3, 9), QStringLiteral("&LЛево&RR"));
    EXPECT_EQ(test::utf16(test::withId(sheet, 0x0015).at(0).data, 3, 3), QStringLiteral("&Cc"));
    const QByteArray setupData = test::withId(sheet, 0x00A1).at(0).data;
    EXPECT_EQ(u16(setupData, 4), 3);
    EXPECT_EQ(u16(setupData, 10), 0x0008 | 0x0080);  // landscape, black and white, page number
    EXPECT_EQ(test::withId(sheet, 0x002B).at(0).data, hex("01 00"));
}

TEST(WorksheetStream, RowBlocksIndexAndDbCellsOfAnExportShapedSheet) {
    TvteXLSWorkbook workbook;
    fill(workbook.AddSheet(), 101, 9);
    const Written written = write(workbook);
    const auto& sheet = written.sheets.at(0);

    EXPECT_EQ(test::withId(sheet, kDimensions).at(0).data,
              hex("00 00 00 00 65 00 00 00 00 00 09 00 00 00"));
    const QByteArray index = test::withId(sheet, kIndex).at(0).data;
    ASSERT_EQ(index.size(), 32);
    EXPECT_EQ(u32(index, 4), 0u);
    EXPECT_EQ(u32(index, 8), 101u);

    const auto rows = test::withId(sheet, kRow);
    ASSERT_EQ(rows.size(), 101u);
    for (const BiffRecord& row : rows) {
        EXPECT_EQ(row.data.mid(2, 4), hex("00 00 09 00"));
        EXPECT_EQ(row.data.mid(6), hex("FF 00 00 00 00 00 00 00 00 00"));
    }

    const auto dbCells = test::withId(sheet, kDbCell);
    ASSERT_EQ(dbCells.size(), 4u);
    const int blockRows[] = {32, 32, 32, 5};
    for (size_t block = 0; block < 4; ++block) {
        const BiffRecord& dbCell = dbCells[block];
        EXPECT_EQ(u32(index, 16 + 4 * static_cast<qsizetype>(block)),
                  static_cast<std::uint32_t>(dbCell.offset));
        ASSERT_EQ(dbCell.data.size(), 4 + 2 * blockRows[block]);
        // The block starts at its first ROW record.
        const qsizetype blockStart = dbCell.offset - u32(dbCell.data, 0);
        const BiffRecord* firstRow = recordAt(written, blockStart);
        ASSERT_NE(firstRow, nullptr);
        EXPECT_EQ(firstRow->id, kRow);
        EXPECT_EQ(u16(firstRow->data, 0), 32 * block);
        // Walk the offsets: each lands on the first cell record of its row.
        qsizetype position = blockStart + 20;
        for (int r = 0; r < blockRows[block]; ++r) {
            position += u16(dbCell.data, 4 + 2 * r);
            const BiffRecord* cell = recordAt(written, position);
            ASSERT_NE(cell, nullptr) << block << " " << r;
            EXPECT_EQ(cell->id, 0x0203);
            EXPECT_EQ(u16(cell->data, 0), 32 * block + static_cast<size_t>(r));
            EXPECT_EQ(u16(cell->data, 2), 0);
        }
    }
    EXPECT_EQ(u16(dbCells[0].data, 4), 620);  // 31 ROW records of 20 bytes
    EXPECT_EQ(u16(dbCells[0].data, 6), 9 * 18);
}

TEST(WorksheetStream, AOneRowBlockMeasuresFromTheEndOfItsRow) {
    TvteXLSWorkbook workbook;
    fill(workbook.AddSheet(), 33, 2);
    const Written written = write(workbook);
    const auto& sheet = written.sheets.at(0);
    const auto dbCells = test::withId(sheet, kDbCell);
    ASSERT_EQ(dbCells.size(), 2u);
    EXPECT_EQ(dbCells[1].data, hex("38 00 00 00 00 00"));  // ROW 20 + two NUMBER of 18 bytes
}

TEST(WorksheetStream, ARowWithoutCellsInsideABlock) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(1, 0, 1, 0).SetValue(1);
    sheet.GetRange(3, 2, 3, 2).SetValue(2);
    const Written written = write(workbook);
    const auto& records = written.sheets.at(0);
    const auto rows = test::withId(records, kRow);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].data.mid(2, 4), hex("01 00 02 00"));
    EXPECT_EQ(rows[1].data.mid(2, 4), hex("00 00 00 00"));
    EXPECT_EQ(rows[2].data.mid(2, 4), hex("03 00 04 00"));
    // Row 1 stands where its cells would start, right after the cell of row 0.
    EXPECT_EQ(test::withId(records, kDbCell).at(0).data.mid(4), hex("28 00 12 00 00 00"));
}

TEST(WorksheetStream, AMergedRangeFillsEveryCellWithItsXf) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(0, 0, 1, 1).SetValue(5.5);
    sheet.GetRange(3, 0, 5, 0).SetValue(QStringLiteral("abc"));
    sheet.GetRange(6, 0, 6, 0).SetValue(QString());
    const Written written = write(workbook);
    const auto& records = written.sheets.at(0);
    std::vector<std::uint16_t> cellIds;
    std::vector<QByteArray> cellData;
    for (const BiffRecord& record : records) {
        if (record.id == 0x0203 || record.id == 0x0201 || record.id == 0x00BE ||
            record.id == 0x00FD) {
            cellIds.push_back(record.id);
            cellData.push_back(record.data);
        }
    }
    ASSERT_EQ(cellIds,
              (std::vector<std::uint16_t>{0x0203, 0x0201, 0x00FD, 0x00BE, 0x0201, 0x00BE}));
    const std::uint16_t mergedXf = u16(cellData[0], 4);
    const std::uint16_t cellXf = u16(cellData[4], 4);
    EXPECT_NE(mergedXf, cellXf);  // the merged flag makes another XF
    EXPECT_EQ(test::f64(cellData[0], 6), 5.5);
    EXPECT_EQ(cellData[1].left(4), hex("00 00 01 00"));
    EXPECT_EQ(u16(cellData[1], 4), mergedXf);
    EXPECT_EQ(cellData[2].left(4), hex("00 00 03 00"));
    EXPECT_EQ(u32(cellData[2], 6), 0u);
    EXPECT_EQ(cellData[3].left(4), hex("00 00 04 00"));
    EXPECT_EQ(cellData[3].size(), 2 * 2 + 6);
    EXPECT_EQ(u16(cellData[3], 8), 5);
    EXPECT_EQ(cellData[4].left(4), hex("00 00 06 00"));
    EXPECT_EQ(cellData[5].size(), 2 * 2 + 6);
    EXPECT_EQ(cellData[5].left(4), hex("01 00 00 00"));
    EXPECT_EQ(u16(cellData[5], 6), mergedXf);
    EXPECT_EQ(u16(cellData[5], 8), 1);

    const auto merged = test::withId(records, kMergedCells);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].data, hex("02 00 00 00 01 00 00 00 01 00 00 00 00 00 03 00 05 00"));
}

TEST(WorksheetStream, MergedCellsSplitAfter1024Entries) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    for (int i = 0; i < 1500; ++i) {
        sheet.GetRange(0, 2 * i, 0, 2 * i + 1);
    }
    const Written written = write(workbook);
    const auto merged = test::withId(written.sheets.at(0), kMergedCells);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].data.size(), 8194);
    EXPECT_EQ(u16(merged[0].data, 0), 1024);
    EXPECT_EQ(u16(merged[1].data, 0), 476);
    EXPECT_EQ(merged[1].data.mid(2, 8), hex("00 08 01 08 00 00 00 00"));  // rows 2048-2049
}

TEST(WorksheetStream, OnlyTheFirstSheetIsSelected) {
    TvteXLSWorkbook workbook;
    workbook.AddSheet();
    workbook.AddSheet();
    const Written written = write(workbook);
    ASSERT_EQ(written.sheets.size(), 2u);
    EXPECT_EQ(u16(test::withId(written.sheets[0], 0x023E).at(0).data, 0), 0x06B6);
    EXPECT_EQ(u16(test::withId(written.sheets[1], 0x023E).at(0).data, 0), 0x04B6);
}

TEST(WorksheetStream, TheLastRowAndColumnOfTheFormatAreWritten) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(255, 65535, 255, 65535).SetValue(1);
    sheet.GetRange(0, 65504, 0, 65504).SetValue(2);
    const Written written = write(workbook);
    const auto& records = written.sheets.at(0);
    EXPECT_EQ(test::withId(records, kDimensions).at(0).data,
              hex("E0 FF 00 00 00 00 01 00 00 00 00 01 00 00"));
    EXPECT_EQ(test::withId(records, kRow).back().data.left(6), hex("FF FF FF 00 00 01"));
    EXPECT_EQ(test::withId(records, kDbCell).size(), 1u);
}

}  // namespace
}  // namespace vlr::xls

namespace vlr::xls {
namespace {

// Positions fixed after the fact (BOUNDSHEET offsets, SST counts and record lengths, INDEX
// entries) must reach bytes that were already passed on to the file.
TEST(WorksheetStream, AStreamPassedOnInPiecesIsTheWholeStream) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& first = workbook.AddSheet();
    for (int row = 0; row < 300; ++row) {
        first.GetRange(0, row, 0, row).SetValue(row);
        first.GetRange(1, row, 1, row).SetValue(QStringLiteral("Образец %1").arg(row));
        first.GetRange(2, row, 3, row).SetValue(QString(row % 7 == 0 ? 3000 : 5, QChar(0x0416)));
    }
    fill(workbook.AddSheet(), 70, 4);
    const QByteArray whole = buildWorkbookStream(workbook);
    const auto write = [&workbook](StreamSink& sink) { writeWorkbookStream(workbook, sink); };
    EXPECT_TRUE(test::streamPassedOnInPieces(write) == whole);
    EXPECT_TRUE(test::streamPassedOnInPieces(write, {}, 8192) == whole);
}

}  // namespace
}  // namespace vlr::xls
