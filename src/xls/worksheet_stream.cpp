#include "xls/worksheet_stream.h"

#include "xls/biff_records.h"

#include <algorithm>

namespace vlr::xls {

namespace {

constexpr int kRowsPerBlock = 32;
constexpr int kMergedPerRecord = 1024;
constexpr std::uint16_t kRowHeight = 255;  // twentieths of a point
constexpr qsizetype kRowRecordSize = 20;

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

// Writes the row blocks. A block's ROW records must precede its cells, and their number is
// known when the block starts, so their place is kept free and filled row by row while the
// cell records go straight behind them: no cell is copied twice. A finished block may be
// passed on.
class RowBlockWriter {
public:
    RowBlockWriter(StreamSink& sink, const TvteXLSWorksheet& sheet, int sheetIndex,
                   const WorkbookTables& tables)
        : sink_(sink),
          stream_(sink.buffer()),
          sheet_(sheet),
          sheetIndex_(sheetIndex),
          tables_(tables) {}

    // Returns the stream position of each block's DBCELL record.
    std::vector<std::uint32_t> write() {
        std::vector<std::uint32_t> dbCells;
        std::vector<TvteXLSRange> cover;
        for (std::int32_t row = sheet_.MinRow(); row <= sheet_.MaxRow(); ++row) {
            if ((row - sheet_.MinRow()) % kRowsPerBlock == 0) {
                startBlock(std::min<std::int32_t>(kRowsPerBlock, sheet_.MaxRow() - row + 1));
            }
            sheet_.rangesCoveringRow(row, cover);
            writeRow(row, cover);
            cellStarts_.push_back(sink_.position());
            for (const TvteXLSRange& range : cover) {
                appendCells(row, range);
            }
            if (static_cast<int>(cellStarts_.size()) == blockRows_) {
                dbCells.push_back(closeBlock());
                sink_.passOnIfFull();
            }
        }
        return dbCells;
    }

private:
    void startBlock(int rows) {
        blockStart_ = sink_.position();
        blockRows_ = rows;
        cellStarts_.clear();
        stream_.resize(stream_.size() + kRowRecordSize * rows);
    }

    void writeRow(std::int32_t row, const std::vector<TvteXLSRange>& cover) {
        const auto first = cover.empty() ? 0 : static_cast<std::uint16_t>(cover.front().Left());
        const auto end = cover.empty() ? 0 : static_cast<std::uint16_t>(cover.back().Right() + 1);
        char record[kRowRecordSize];
        ByteCursor(record)
            .u16(biff::kRow)
            .u16(16)
            .u16(static_cast<std::uint16_t>(row))
            .u16(first)
            .u16(end)
            .u16(kRowHeight)
            .u16(0)
            .u16(0)
            .u16(0)   // options
            .u16(0);  // XF index
        sink_.patch(blockStart_ + kRowRecordSize * static_cast<std::int64_t>(cellStarts_.size()),
                    record, kRowRecordSize);
    }

    void appendCells(std::int32_t row, const TvteXLSRange& range) {
        const auto xf = tables_.xfIndex(range);
        const auto r = static_cast<std::uint16_t>(row);
        std::int32_t column = range.Left();
        const auto cell = [&](std::uint16_t id, std::uint16_t length) {
            return ByteCursor(stream_, 4 + length)
                .u16(id)
                .u16(length)
                .u16(r)
                .u16(static_cast<std::uint16_t>(column))
                .u16(xf);
        };
        // The value stands in the top-left cell only; every other cell carries just the XF.
        if (row == range.Top()) {
            if (range.CellKind() == TvteXLSCellKind::Number) {
                cell(biff::kNumber, 14).f64(range.Number());
                ++column;
            } else {
                const std::int32_t sst = tables_.sharedStringIndex(sheetIndex_, range);
                if (sst >= 0) {
                    cell(biff::kLabelSst, 10).u32(static_cast<std::uint32_t>(sst));
                    ++column;
                }
            }
        }
        if (column < range.Right()) {
            const std::int32_t columns = range.Right() - column + 1;
            const auto length = static_cast<std::uint16_t>(2 * columns + 6);
            ByteCursor blanks(stream_, 4 + length);
            blanks.u16(biff::kMulBlank).u16(length).u16(r).u16(static_cast<std::uint16_t>(column));
            for (std::int32_t i = 0; i < columns; ++i) {
                blanks.u16(xf);
            }
            blanks.u16(static_cast<std::uint16_t>(range.Right()));
        } else if (column == range.Right()) {
            cell(biff::kBlank, 6);
        }
    }

    // Returns the DBCELL's stream position.
    std::uint32_t closeBlock() {
        const std::int64_t dbCellPosition = sink_.position();
        QByteArray data;
        appendU32(data, static_cast<std::uint32_t>(dbCellPosition - blockStart_));
        // Offsets start at the block's second ROW record (the end of its only one); a row
        // without cells is measured at the place its cells would start.
        std::int64_t previous = blockStart_ + kRowRecordSize;
        for (const std::int64_t position : cellStarts_) {
            appendU16(data, static_cast<std::uint16_t>(position - previous));
            previous = position;
        }
        WriteRecord(stream_, biff::kDbCell, data);
        return static_cast<std::uint32_t>(dbCellPosition);
    }

    StreamSink& sink_;
    QByteArray& stream_;
    const TvteXLSWorksheet& sheet_;
    const int sheetIndex_;
    const WorkbookTables& tables_;
    std::vector<std::int64_t> cellStarts_;  // stream position of each row's first cell record
    std::int64_t blockStart_ = 0;
    int blockRows_ = 0;
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

void writeWorksheetStream(StreamSink& sink, const TvteXLSWorksheet& sheet, int sheetIndex,
                          const WorkbookTables& tables) {
    QByteArray& stream = sink.buffer();
    const TvteXLSPageSetup& setup = sheet.PageSetup();
    const int blocks = blockCount(sheet);

    QByteArray bof;
    appendU16(bof, 0x0600);
    appendU16(bof, 0x0010);  // worksheet
    appendU16(bof, 3515);
    appendU16(bof, 1996);
    bof.append(8, '\0');
    WriteRecord(stream, biff::kBof, bof);

    const std::int64_t indexPosition = sink.position();
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
        RowBlockWriter rows(sink, sheet, sheetIndex, tables);
        const std::vector<std::uint32_t> dbCells = rows.write();
        const QByteArray index = indexData(sheet, dbCells, blocks);
        sink.patch(indexPosition + 4, index.constData(), index.size());
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
