#include "xls/worksheet_stream.h"

#include "xls/biff_records.h"

#include <algorithm>

namespace vlr::xls {

namespace {

constexpr int kRowsPerBlock = 32;
constexpr int kMergedPerRecord = 1024;
constexpr std::uint16_t kRowHeight = 255;  // twentieths of a point

QByteArray headerFooterText(const QString& left, const QString& center, const QString& right) {
    QString text;
    const auto add = [&text](const char* code, const QString& part) {
        if (!part.isEmpty()) {
            text += QLatin1String(code) + part;
        }
    };
    add("&L", left);
    add("&C", center);
    add("&R", right);
    QByteArray data;
    if (!text.isEmpty()) {
        appendUnicodeString16(data, text);
    }
    return data;
}

QByteArray setupData(const TvteXLSPageSetup& setup) {
    std::uint16_t options = 0;
    options |= setup.PageOrder == 1 ? 0x0001 : 0;
    options |= setup.Orientation == 0 ? 0x0002 : 0;
    options |= setup.BlackAndWhite ? 0x0008 : 0;
    options |= setup.Draft ? 0x0010 : 0;
    options |= setup.PrintNotes ? 0x0020 : 0;
    options |= setup.FirstPageNumber != 1 ? 0x0080 : 0;
    QByteArray data;
    appendU16(data, setup.PaperSize);
    appendU16(data, static_cast<std::uint16_t>(setup.Scale));
    appendU16(data, static_cast<std::uint16_t>(setup.FirstPageNumber));
    appendU16(data, static_cast<std::uint16_t>(setup.FitWidth));
    appendU16(data, static_cast<std::uint16_t>(setup.FitHeight));
    appendU16(data, options);
    appendU16(data, 0);  // print resolution
    appendU16(data, 0);  // vertical print resolution
    appendDouble(data, setup.HeaderMargin);
    appendDouble(data, setup.FooterMargin);
    appendU16(data, static_cast<std::uint16_t>(setup.Copies));
    return data;
}

QByteArray doubleData(double value) {
    QByteArray data;
    appendDouble(data, value);
    return data;
}

bool hasCells(const TvteXLSWorksheet& sheet) {
    return sheet.MinRow() != -1 && sheet.MaxRow() != -1;
}

int blockCount(const TvteXLSWorksheet& sheet) {
    return hasCells(sheet) ? (sheet.MaxRow() - sheet.MinRow() + kRowsPerBlock) / kRowsPerBlock : 0;
}

QByteArray indexData(const TvteXLSWorksheet& sheet, const std::vector<std::uint32_t>& dbCells,
                     int blocks) {
    QByteArray data;
    appendU32(data, 0);
    appendU32(data, hasCells(sheet) ? static_cast<std::uint32_t>(sheet.MinRow()) : 0);
    appendU32(data, hasCells(sheet) ? static_cast<std::uint32_t>(sheet.MaxRow() + 1) : 0);
    appendU32(data, 0);
    for (int i = 0; i < blocks; ++i) {
        appendU32(data, i < static_cast<int>(dbCells.size()) ? dbCells[static_cast<size_t>(i)] : 0);
    }
    return data;
}

QByteArray dimensionsData(const TvteXLSWorksheet& sheet) {
    QByteArray data;
    if (sheet.MinRow() == -1 || sheet.MaxRow() == -1 || sheet.MinCol() == -1 ||
        sheet.MaxCol() == -1) {
        return QByteArray(14, '\0');
    }
    appendU32(data, static_cast<std::uint32_t>(sheet.MinRow()));
    appendU32(data, static_cast<std::uint32_t>(sheet.MaxRow() + 1));
    appendU16(data, static_cast<std::uint16_t>(sheet.MinCol()));
    appendU16(data, static_cast<std::uint16_t>(sheet.MaxCol() + 1));
    appendU16(data, 0);
    return data;
}

// Writes the row blocks: ROW records straight to the stream, the cells of the block collected
// in a buffer and appended after them, then the block's DBCELL.
class RowBlockWriter {
public:
    RowBlockWriter(QByteArray& stream, const TvteXLSWorksheet& sheet, int sheetIndex,
                   const WorkbookTables& tables, qsizetype startPosition)
        : stream_(stream),
          sheet_(sheet),
          sheetIndex_(sheetIndex),
          tables_(tables),
          startPosition_(startPosition) {}

    std::vector<std::uint32_t> write() {
        std::vector<std::uint32_t> dbCells;
        std::vector<TvteXLSRange> cover;
        for (std::int32_t row = sheet_.MinRow(); row <= sheet_.MaxRow(); ++row) {
            const bool blockStart = (row - sheet_.MinRow()) % kRowsPerBlock == 0;
            if (blockStart) {
                blockStart_ = stream_.size();
                cellStarts_.clear();
            }
            sheet_.rangesCoveringRow(row, cover);
            writeRow(row, cover);
            if (blockStart) {
                secondRowStart_ = stream_.size();
            }
            cellStarts_.push_back(cells_.size());
            for (const TvteXLSRange& range : cover) {
                appendCells(row, range);
            }
            if (cellStarts_.size() == kRowsPerBlock || row == sheet_.MaxRow()) {
                dbCells.push_back(closeBlock());
            }
        }
        return dbCells;
    }

private:
    void writeRow(std::int32_t row, const std::vector<TvteXLSRange>& cover) {
        appendU16(stream_, biff::kRow);
        appendU16(stream_, 16);
        appendU16(stream_, static_cast<std::uint16_t>(row));
        appendU16(stream_, cover.empty() ? 0 : static_cast<std::uint16_t>(cover.front().Left()));
        appendU16(stream_,
                  cover.empty() ? 0 : static_cast<std::uint16_t>(cover.back().Right() + 1));
        appendU16(stream_, kRowHeight);
        appendU16(stream_, 0);
        appendU16(stream_, 0);
        appendU16(stream_, 0);  // options
        appendU16(stream_, 0);  // XF index
    }

    void appendCells(std::int32_t row, const TvteXLSRange& range) {
        const auto xf = tables_.xfIndex(range);
        std::int32_t column = range.Left();
        const auto cellHeader = [&](std::uint16_t id, std::uint16_t length) {
            appendU16(cells_, id);
            appendU16(cells_, length);
            appendU16(cells_, static_cast<std::uint16_t>(row));
            appendU16(cells_, static_cast<std::uint16_t>(column));
            appendU16(cells_, xf);
        };
        // The value stands in the top-left cell only; every other cell carries just the XF.
        if (row == range.Top()) {
            if (range.CellKind() == TvteXLSCellKind::Number) {
                cellHeader(biff::kNumber, 14);
                appendDouble(cells_, range.Number());
                ++column;
            } else {
                const std::int32_t sst = tables_.sharedStringIndex(sheetIndex_, range);
                if (sst >= 0) {
                    cellHeader(biff::kLabelSst, 10);
                    appendU32(cells_, static_cast<std::uint32_t>(sst));
                    ++column;
                }
            }
        }
        if (column < range.Right()) {
            const std::int32_t columns = range.Right() - column + 1;
            appendU16(cells_, biff::kMulBlank);
            appendU16(cells_, static_cast<std::uint16_t>(2 * columns + 6));
            appendU16(cells_, static_cast<std::uint16_t>(row));
            appendU16(cells_, static_cast<std::uint16_t>(column));
            for (std::int32_t i = 0; i < columns; ++i) {
                appendU16(cells_, xf);
            }
            appendU16(cells_, static_cast<std::uint16_t>(range.Right()));
        } else if (column == range.Right()) {
            cellHeader(biff::kBlank, 6);
        }
    }

    // Returns the DBCELL's position relative to the start position.
    std::uint32_t closeBlock() {
        const qsizetype cellsStart = stream_.size();
        stream_.append(cells_);
        const qsizetype dbCellPosition = stream_.size();

        QByteArray data;
        appendU32(data, static_cast<std::uint32_t>(dbCellPosition - blockStart_));
        // A row without cells is measured at the place its cells would start.
        qsizetype previous = secondRowStart_;
        for (const qsizetype start : cellStarts_) {
            const qsizetype position = cellsStart + start;
            appendU16(data, static_cast<std::uint16_t>(position - previous));
            previous = position;
        }
        WriteRecord(stream_, biff::kDbCell, data);
        cells_.clear();
        return static_cast<std::uint32_t>(dbCellPosition - startPosition_);
    }

    QByteArray& stream_;
    const TvteXLSWorksheet& sheet_;
    const int sheetIndex_;
    const WorkbookTables& tables_;
    const qsizetype startPosition_;
    QByteArray cells_;
    std::vector<qsizetype> cellStarts_;  // per row of the block, its offset in cells_
    qsizetype blockStart_ = 0;
    qsizetype secondRowStart_ = 0;
};

void writeMergedCells(QByteArray& stream, const TvteXLSWorksheet& sheet) {
    QByteArray entries;
    int count = 0;
    const auto flush = [&]() {
        if (count == 0) {
            return;
        }
        QByteArray data;
        appendU16(data, static_cast<std::uint16_t>(count));
        data.append(entries);
        WriteRecord(stream, biff::kMergedCells, data);
        entries.clear();
        count = 0;
    };
    sheet.forEachRange([&](const TvteXLSRange& range) {
        if (range.coversOneCell()) {
            return;
        }
        appendU16(entries, static_cast<std::uint16_t>(range.Top()));
        appendU16(entries, static_cast<std::uint16_t>(range.Bottom()));
        appendU16(entries, static_cast<std::uint16_t>(range.Left()));
        appendU16(entries, static_cast<std::uint16_t>(range.Right()));
        if (++count == kMergedPerRecord) {
            flush();
        }
    });
    flush();
}

}  // namespace

void writeWorksheetStream(QByteArray& stream, const TvteXLSWorksheet& sheet, int sheetIndex,
                          const WorkbookTables& tables, qsizetype startPosition) {
    const TvteXLSPageSetup& setup = sheet.PageSetup();
    const int blocks = blockCount(sheet);

    QByteArray bof;
    appendU16(bof, 0x0600);
    appendU16(bof, 0x0010);  // worksheet
    appendU16(bof, 3515);
    appendU16(bof, 1996);
    bof.append(8, '\0');
    WriteRecord(stream, biff::kBof, bof);

    const qsizetype indexPosition = stream.size();
    WriteRecord(stream, biff::kIndex, indexData(sheet, {}, blocks));

    const Record16 calculation[] = {
        {0x000D, 1},    // CALCMODE: automatic
        {0x000C, 100},  // CALCCOUNT
        {0x000F, 1},    // REFMODE: A1
        {0x0011, 0},    // ITERATION
    };
    WriteRecords16(stream, calculation);
    appendHex(stream, "10 00 08 00 FC A9 F1 D2 4D 62 50 3F");  // DELTA 0.001
    const Record16 settings[] = {
        {0x005F, 1},                                    // SAVERECALC
        {0x002A, std::uint16_t{setup.PrintHeadings}},   // PRINTHEADERS
        {0x002B, std::uint16_t{setup.PrintGridlines}},  // PRINTGRIDLINES
        {0x0082, 1},                                    // GRIDSET
    };
    WriteRecords16(stream, settings);
    WriteRecord(stream, 0x0080, QByteArray(8, '\0'));  // GUTS
    QByteArray defaultRowHeight;
    appendU16(defaultRowHeight, 0);
    appendU16(defaultRowHeight, kRowHeight);
    WriteRecord(stream, 0x0225, defaultRowHeight);
    WriteRecord16(stream, 0x0081, 0x04C1);  // WSBOOL
    WriteRecord(stream, 0x0014,
                headerFooterText(setup.HeaderLeft, setup.HeaderCenter, setup.HeaderRight));
    WriteRecord(stream, 0x0015,
                headerFooterText(setup.FooterLeft, setup.FooterCenter, setup.FooterRight));
    WriteRecord16(stream, 0x0083, setup.CenterHorizontally ? 1 : 0);
    WriteRecord16(stream, 0x0084, setup.CenterVertically ? 1 : 0);
    WriteRecord(stream, 0x0026, doubleData(setup.LeftMargin));
    WriteRecord(stream, 0x0027, doubleData(setup.RightMargin));
    WriteRecord(stream, 0x0028, doubleData(setup.TopMargin));
    WriteRecord(stream, 0x0029, doubleData(setup.BottomMargin));
    WriteRecord(stream, 0x00A1, setupData(setup));
    WriteRecord16(stream, 0x0055, 8);  // DEFCOLWIDTH
    WriteRecord(stream, 0x0200, dimensionsData(sheet));

    if (hasCells(sheet)) {
        RowBlockWriter rows(stream, sheet, sheetIndex, tables, startPosition);
        const std::vector<std::uint32_t> dbCells = rows.write();
        const QByteArray index = indexData(sheet, dbCells, blocks);
        std::copy(index.begin(), index.end(), stream.begin() + indexPosition + 4);
    }

    QByteArray window;
    appendU16(window, sheetIndex == 0 ? 0x06B6 : 0x04B6);  // the first sheet is selected
    appendU16(window, 0);                                  // top row
    appendU16(window, 0);                                  // left column
    appendU32(window, 64);                                 // automatic grid line colour
    appendU16(window, 0);
    appendU16(window, 0);
    appendU32(window, 0);
    WriteRecord(stream, 0x023E, window);
    appendHex(stream, "1D 00 0F 00 03 00 00 00 00 00 00 01 00 00 00 00 00 00 00");  // SELECTION

    writeMergedCells(stream, sheet);
    WriteRecord(stream, biff::kEof, QByteArray());
}

}  // namespace vlr::xls
