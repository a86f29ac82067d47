#include "xls/biff_records.h"
#include "xls/excel_writer.h"
#include "xls/workbook_tables.h"
#include "xls/worksheet_stream.h"

#include <cstdint>

namespace vlr::xls {

namespace {

constexpr int kWriteAccessLength = 112;
// The title's string must fit WRITEACCESS: 3 header bytes and two bytes per character.
constexpr int kWriteAccessCharacters = (kWriteAccessLength - 3) / 2;

void writeBof(QByteArray& stream) {
    QByteArray data;
    appendU16(data, 0x0600);
    appendU16(data, 0x0005);  // workbook globals
    appendU16(data, 3515);
    appendU16(data, 1996);
    appendU32(data, 0);
    appendU32(data, 0x0600);
    WriteRecord(stream, biff::kBof, data);
}

void writeWriteAccess(QByteArray& stream, const QString& title) {
    QByteArray data;
    appendUnicodeString16(data, limitedTrimmedName(title, kWriteAccessCharacters));
    data.append(kWriteAccessLength - data.size(), ' ');
    WriteRecord(stream, 0x005C, data);
}

void writeFonts(QByteArray& stream, const WorkbookTables& tables) {
    for (size_t i = 0; i < tables.fonts().size(); ++i) {
        const TvteXLSFont& font = tables.fonts()[i];
        QByteArray data;
        appendU16(data, static_cast<std::uint16_t>(font.Size * 20));
        appendU16(data, (font.Italic ? 0x0002 : 0) | (font.StrikeOut ? 0x0008 : 0));
        appendU16(data, tables.fontColorIndexes()[i]);
        appendU16(data, font.Bold ? 1000 : 100);
        appendU16(data, 0);  // escapement
        appendU8(data, font.Underline ? 1 : 0);
        appendU8(data, static_cast<std::uint8_t>(font.Pitch));
        appendU8(data, font.Charset);
        appendU8(data, 0);
        appendU8(data, static_cast<std::uint8_t>(font.Name.size()));
        appendU8(data, 1);
        appendUtf16(data, font.Name);
        WriteRecord(stream, biff::kFont, data);
    }
}

void writeFormats(QByteArray& stream, const WorkbookTables& tables) {
    for (const NumberFormat& format : tables.formats()) {
        QByteArray data;
        appendU16(data, format.index);
        appendUnicodeString16(data, format.text);
        WriteRecord(stream, biff::kFormat, data);
    }
}

void writeXfs(QByteArray& stream, const WorkbookTables& tables) {
    // Style XFs: the normal style, then the parents of the built-in row and column styles.
    const struct {
        int count;
        const char* hex;
    } styleXfs[] = {
        {1, "00 00 00 00 F5 FF 20 00 00 00 00 00 00 00 00 00 00 00 C0 20"},
        {2, "01 00 00 00 F5 FF 20 00 00 F4 00 00 00 00 00 00 00 00 C0 20"},
        {2, "02 00 00 00 F5 FF 20 00 00 F4 00 00 00 00 00 00 00 00 C0 20"},
        {10, "00 00 00 00 F5 FF 20 00 00 F4 00 00 00 00 00 00 00 00 C0 20"},
    };
    for (const auto& styleXf : styleXfs) {
        const QByteArray data = QByteArray::fromHex(styleXf.hex);
        for (int i = 0; i < styleXf.count; ++i) {
            WriteRecord(stream, biff::kXf, data);
        }
    }
    for (const XfBytes& xf : tables.cellXfs()) {
        WriteRecord(stream, biff::kXf, reinterpret_cast<const char*>(xf.data()),
                    static_cast<qsizetype>(xf.size()));
    }
}

void writeStyles(QByteArray& stream) {
    appendHex(stream,
              "93 02 04 00 10 80 04 FF"    // currency
              "93 02 04 00 11 80 07 FF"    // currency without decimals
              "93 02 04 00 00 80 00 FF"    // normal
              "93 02 04 00 12 80 05 FF"    // percent
              "93 02 04 00 13 80 03 FF"    // comma
              "93 02 04 00 14 80 06 FF");  // comma without decimals
}

void writePalette(QByteArray& stream, const TvteXLSPalette& palette) {
    if (!palette.changed()) {
        return;
    }
    QByteArray data;
    appendU16(data, TvteXLSPalette::kSlots);
    for (const TvteXLSColor color : palette.colors()) {
        appendU8(data, color & 0xFF);
        appendU8(data, (color >> 8) & 0xFF);
        appendU8(data, (color >> 16) & 0xFF);
        appendU8(data, 0);
    }
    WriteRecord(stream, biff::kPalette, data);
}

// Returns the stream position of each record's offset field, to be fixed once the sheet's
// BOF position is known.
std::vector<std::int64_t> writeBoundSheets(StreamSink& sink, const TvteXLSWorkbook& workbook) {
    std::vector<std::int64_t> fixups;
    for (int s = 0; s < workbook.SheetCount(); ++s) {
        const QString& name = workbook.Sheet(s).Name();
        fixups.push_back(sink.position() + 4);
        QByteArray data;
        appendU32(data, 0);
        appendU16(data, 0);  // visible worksheet
        appendU8(data, static_cast<std::uint8_t>(name.size()));
        appendU8(data, 1);
        appendUtf16(data, name);
        WriteRecord(sink.buffer(), biff::kBoundSheet, data);
    }
    return fixups;
}

}  // namespace

void writeWorkbookStream(const TvteXLSWorkbook& workbook, StreamSink& sink) {
    WorkbookTables tables(workbook);
    QByteArray& stream = sink.buffer();

    writeBof(stream);
    WriteRecord16(stream, 0x00E1, 1252);            // INTERFACEHDR
    WriteRecord(stream, 0x00C1, QByteArray(2, 0));  // MMS
    WriteRecord(stream, 0x00E2, QByteArray());      // INTERFACEEND
    writeWriteAccess(stream, workbook.Title());
    WriteRecord16(stream, 0x0042, 1252);        // CODEPAGE
    WriteRecord16(stream, 0x0161, 0);           // DSF
    WriteRecord(stream, 0x01C0, QByteArray());  // EXCEL9FILE
    QByteArray tabIds;
    for (int s = 0; s < workbook.SheetCount(); ++s) {
        appendU16(tabIds, static_cast<std::uint16_t>(s + 1));
    }
    WriteRecord(stream, 0x013D, tabIds);
    const Record16 protection[] = {
        {0x009C, 14},  // FNGROUPCOUNT
        {0x0019, 0},   // WINDOWPROTECT
        {0x0012, 0},   // PROTECT
        {0x0013, 0},   // PASSWORD
        {0x01AF, 0},   // PROT4REV
        {0x01BC, 0},   // PROT4REVPASS
    };
    WriteRecords16(stream, protection);
    QByteArray window;
    for (const std::uint16_t value : {360, 30, 7454, 6240, 0x0038, 0, 0, 1, 600}) {
        appendU16(window, value);
    }
    WriteRecord(stream, 0x003D, window);  // WINDOW1
    const Record16 options[] = {
        {0x0040, 0},  // BACKUP
        {0x008D, 0},  // HIDEOBJ
        {0x0022, 0},  // DATEMODE: 1900
        {0x000E, 1},  // PRECISION
        {0x01B7, 0},  // REFRESHALL
        {0x00DA, 0},  // BOOKBOOL
    };
    WriteRecords16(stream, options);
    writeFonts(stream, tables);
    writeFormats(stream, tables);
    writeXfs(stream, tables);
    writeStyles(stream);
    writePalette(stream, tables.palette());
    WriteRecord16(stream, 0x0160, 0);  // USESELFS
    const std::vector<std::int64_t> fixups = writeBoundSheets(sink, workbook);
    QByteArray country;
    appendU16(country, 7);
    appendU16(country, 7);
    WriteRecord(stream, 0x008C, country);
    tables.writeSharedStrings(sink, workbook);
    WriteRecord(stream, biff::kEof, QByteArray());

    for (int s = 0; s < workbook.SheetCount(); ++s) {
        sink.patchU32(fixups[static_cast<size_t>(s)], static_cast<std::uint32_t>(sink.position()));
        writeWorksheetStream(sink, workbook.Sheet(s), s, tables);
    }
}

QByteArray buildWorkbookStream(const TvteXLSWorkbook& workbook) {
    StreamSink sink;
    writeWorkbookStream(workbook, sink);
    return sink.buffer();
}

}  // namespace vlr::xls
