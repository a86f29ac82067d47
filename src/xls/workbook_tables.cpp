#include "xls/workbook_tables.h"

#include "xls/biff_records.h"
#include "xls/xls_limits.h"

#include <algorithm>

namespace vlr::xls {

namespace {

constexpr std::uint16_t kFirstCellXf = 15;

// The cell XFs every file starts with: the default cell format and the parents of the
// built-in currency, percent and comma styles.
constexpr const char* kFixedCellXfs[] = {
    "00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 C0 20",
    "01 00 2C 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20",
    "01 00 2A 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20",
    "01 00 09 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20",
    "01 00 2B 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20",
    "01 00 29 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20",
};

// The rouble currency formats a Russian installation expects under these indexes.
std::vector<NumberFormat> currencyFormats() {
    return {
        {5, QStringLiteral("#,##0\"р.\";\\-#,##0\"р.\"")},
        {6, QStringLiteral("#,##0\"р.\";[Red]\\-#,##0\"р.\"")},
        {7, QStringLiteral("#,##0.00\"р.\";\\-#,##0.00\"р.\"")},
        {8, QStringLiteral("#,##0.00\"р.\";[Red]\\-#,##0.00\"р.\"")},
        {42, QStringLiteral("_-* #,##0\"р.\"_-;\\-* #,##0\"р.\"_-;_-* \"-\"\"р.\"_-;_-@_-")},
        {41, QStringLiteral("_-* #,##0_р_._-;\\-* #,##0_р_._-;_-* \"-\"_р_._-;_-@_-")},
        {44,
         QStringLiteral("_-* #,##0.00\"р.\"_-;\\-* #,##0.00\"р.\"_-;_-* \"-\"??\"р.\"_-;_-@_-")},
        {43, QStringLiteral("_-* #,##0.00_р_._-;\\-* #,##0.00_р_._-;_-* \"-\"??_р_._-;_-@_-")},
    };
}

XfBytes xfFromHex(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    XfBytes xf{};
    std::copy(bytes.begin(), bytes.end(), xf.begin());
    return xf;
}

void putU16(XfBytes& xf, size_t offset, std::uint32_t value) {
    xf[offset] = static_cast<std::uint8_t>(value & 0xFF);
    xf[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void putU32(XfBytes& xf, size_t offset, std::uint32_t value) {
    putU16(xf, offset, value & 0xFFFF);
    putU16(xf, offset + 2, value >> 16);
}

// Fill codes of the format run from 0 (none) to 18; any other pattern is drawn solid.
std::uint32_t fillCode(std::uint8_t pattern) {
    return pattern <= 18 ? pattern : 1;
}

}  // namespace

WorkbookTables::WorkbookTables(const TvteXLSWorkbook& workbook) {
    TvteXLSFont defaultFont;
    defaultFont.Color = kWindowTextColor;
    fonts_.assign(4, defaultFont);
    formats_ = currencyFormats();
    for (const char* hex : kFixedCellXfs) {
        cellXfs_.push_back(xfFromHex(hex));
    }
    xfByKey_.assign(workbook.Styles().count() * 2u, 0);

    std::vector<StyleUse> uses;
    collect(workbook, uses);

    // The fonts' colours are looked up as their records are written, before any cell XF.
    std::vector<std::uint16_t> fontIndexes;
    for (const StyleUse& use : uses) {
        fontIndexes.push_back(fontIndexOf(workbook.Styles().at(use.style).Font));
    }
    for (const TvteXLSFont& font : fonts_) {
        fontColorIndexes_.push_back(palette_.ColorIndex(font.Color));
    }
    std::vector<std::uint16_t> formatIndexes;
    for (const StyleUse& use : uses) {
        formatIndexes.push_back(formatIndexOf(workbook.Styles().at(use.style).Format));
    }
    for (size_t i = 0; i < uses.size(); ++i) {
        XfBytes xf = cellXf(workbook.Styles().at(uses[i].style), uses[i].multiCell);
        putU16(xf, 0, fontIndexes[i]);
        putU16(xf, 2, formatIndexes[i]);
        auto found = std::find(cellXfs_.begin(), cellXfs_.end(), xf);
        if (found == cellXfs_.end()) {
            found = cellXfs_.insert(cellXfs_.end(), xf);
        }
        xfByKey_[keyOf(uses[i].style, uses[i].multiCell)] =
            static_cast<std::uint16_t>(kFirstCellXf + (found - cellXfs_.begin()));
    }
}

void WorkbookTables::collect(const TvteXLSWorkbook& workbook, std::vector<StyleUse>& uses) {
    std::vector<bool> seen(xfByKey_.size(), false);
    QString scratch;
    sharedStringIndexes_.resize(static_cast<size_t>(workbook.SheetCount()));
    for (int s = 0; s < workbook.SheetCount(); ++s) {
        const TvteXLSWorksheet& sheet = workbook.Sheet(s);
        checkSheetBounds(sheet);
        sharedStringIndexes_[static_cast<size_t>(s)].assign(sheet.SlotCount(), -1);
        sheet.forEachRange([&](const TvteXLSRange& range) {
            checkRange(sheet, range);
            const bool multiCell = !range.coversOneCell();
            const size_t key = keyOf(range.StyleIndex(), multiCell);
            if (!seen[key]) {
                seen[key] = true;
                uses.push_back(StyleUse{range.StyleIndex(), multiCell});
            }
            if (range.ValueType() == TvteXLSValueType::DateTime) {
                // Never empty and far below any limit; its text is made once, for the SST.
                ++textCells_;
            } else if (range.CellKind() == TvteXLSCellKind::Text) {
                const QStringView text = range.textView(scratch);
                if (!text.isEmpty()) {
                    checkText(sheet, text);
                    ++textCells_;
                }
            }
        });
    }
}

void WorkbookTables::writeSharedStrings(StreamSink& sink, const TvteXLSWorkbook& workbook) {
    if (textCells_ == 0) {
        return;
    }
    SharedStringTable strings(sink);
    QString scratch;
    for (int s = 0; s < workbook.SheetCount(); ++s) {
        const TvteXLSWorksheet& sheet = workbook.Sheet(s);
        std::vector<std::int32_t>& indexes = sharedStringIndexes_[static_cast<size_t>(s)];
        sheet.forEachRange([&](const TvteXLSRange& range) {
            if (range.CellKind() != TvteXLSCellKind::Text) {
                return;
            }
            const QStringView text = range.textView(scratch);
            if (!text.isEmpty()) {
                indexes[range.Slot()] = strings.add(text);
            }
        });
    }
    strings.finish();
    WriteRecord(sink.buffer(), biff::kExtSst, strings.extSstData());
}

std::uint16_t WorkbookTables::xfIndex(const TvteXLSRange& range) const {
    return xfByKey_[keyOf(range.StyleIndex(), !range.coversOneCell())];
}

std::uint16_t WorkbookTables::fontIndexOf(const TvteXLSFont& font) {
    auto found = std::find(fonts_.begin(), fonts_.end(), font);
    if (found == fonts_.end()) {
        found = fonts_.insert(fonts_.end(), font);
    }
    // The format has no font index 4, so list positions count from 1.
    return static_cast<std::uint16_t>(found - fonts_.begin() + 1);
}

std::uint16_t WorkbookTables::formatIndexOf(const QString& format) {
    if (format.isEmpty()) {
        return 0;
    }
    const auto found = std::find_if(formats_.begin(), formats_.end(), [&](const NumberFormat& f) {
        return f.text.compare(format, Qt::CaseInsensitive) == 0;
    });
    if (found != formats_.end()) {
        return found->index;
    }
    const auto index = static_cast<std::uint16_t>(50 + appendedFormats_++);
    formats_.push_back(NumberFormat{index, format});
    return index;
}

XfBytes WorkbookTables::cellXf(const TvteXLSCellStyle& style, bool multiCell) {
    const TvteXLSBorders& borders = style.Borders;
    const auto colorOf = [this](const TvteXLSBorder& border) -> std::uint32_t {
        return border.drawn() ? (palette_.ColorIndex(border.Color) & 0x7F) : 0;
    };
    const TvteXLSBorder& down = borders[kBorderDiagonalDown];
    const TvteXLSBorder& up = borders[kBorderDiagonalUp];
    const std::uint32_t downColor = colorOf(down);
    const std::uint32_t upColor = colorOf(up);
    const std::uint32_t leftColor = colorOf(borders[kBorderLeft]);
    const std::uint32_t rightColor = colorOf(borders[kBorderRight]);
    const std::uint32_t topColor = colorOf(borders[kBorderTop]);
    const std::uint32_t bottomColor = colorOf(borders[kBorderBottom]);
    const std::uint32_t foreColor = palette_.ColorIndex(style.FillForeColor) & 0x7F;
    const std::uint32_t backColor = palette_.ColorIndex(style.FillBackColor) & 0x7F;

    std::uint32_t diagonalColor = 0;
    std::uint32_t diagonalStyle = 0;
    if (up.drawn()) {
        diagonalColor = upColor;
        diagonalStyle = up.LineStyle;
    } else if (down.drawn()) {
        diagonalColor = downColor;
        diagonalStyle = down.LineStyle;
    }
    const auto lineStyle = [&borders](int position) -> std::uint32_t {
        return borders[static_cast<size_t>(position)].LineStyle & 0x0F;
    };

    XfBytes xf{};
    putU16(xf, 4, 0x0001);  // locked cell XF below style XF 0
    xf[6] = static_cast<std::uint8_t>((style.HorzAlign & 0x07) | (style.WrapText ? 0x08 : 0) |
                                      ((style.VertAlign & 0x07) << 4));
    xf[7] = style.Rotation;
    putU16(xf, 8, 0x7C00u | (multiCell ? 0x0020u : 0u));
    putU16(xf, 10,
           lineStyle(kBorderLeft) | lineStyle(kBorderRight) << 4 | lineStyle(kBorderTop) << 8 |
               lineStyle(kBorderBottom) << 12);
    putU16(
        xf, 12,
        leftColor | rightColor << 7 | (down.drawn() ? 0x4000u : 0u) | (up.drawn() ? 0x8000u : 0u));
    const std::uint32_t pattern = style.FillPattern == 0 ? 0 : fillCode(style.FillPattern);
    putU32(xf, 14,
           topColor | bottomColor << 7 | diagonalColor << 14 | (diagonalStyle & 0x0F) << 21 |
               pattern << 26);
    putU16(xf, 18, foreColor | backColor << 7);
    return xf;
}

}  // namespace vlr::xls
