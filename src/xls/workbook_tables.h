#pragma once

#include "xls/shared_strings.h"
#include "xls/xls_palette.h"
#include "xls/xls_workbook.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace vlr::xls {

using XfBytes = std::array<std::uint8_t, 20>;

struct NumberFormat {
    std::uint16_t index;
    QString text;
};

// The shared tables of one save: fonts, number formats, cell XFs, palette and shared
// strings, and for every range its XF and shared-string index. Ranges with the same style
// share one XF, so the per-style work runs once per style, in the order the styles first
// occur; the palette and the lists then come out as if every range were visited in turn.
class WorkbookTables {
public:
    // Throws XlsError when a sheet exceeds the format's limits.
    explicit WorkbookTables(const TvteXLSWorkbook& workbook);

    const std::vector<TvteXLSFont>& fonts() const { return fonts_; }
    const std::vector<std::uint16_t>& fontColorIndexes() const { return fontColorIndexes_; }
    const std::vector<NumberFormat>& formats() const { return formats_; }
    const std::vector<XfBytes>& cellXfs() const { return cellXfs_; }
    const TvteXLSPalette& palette() const { return palette_; }

    // Appends SST and EXTSST when some cell has non-empty text, numbering the strings in
    // save order.
    void writeSharedStrings(StreamSink& sink, const TvteXLSWorkbook& workbook);

    std::uint16_t xfIndex(const TvteXLSRange& range) const;
    std::int32_t sharedStringIndex(int sheetIndex, const TvteXLSRange& range) const {
        return sharedStringIndexes_[static_cast<size_t>(sheetIndex)][range.Slot()];
    }

private:
    struct StyleUse {
        std::uint32_t style;
        bool multiCell;
    };

    static size_t keyOf(std::uint32_t style, bool multiCell) { return style * 2u + multiCell; }
    void collect(const TvteXLSWorkbook& workbook, std::vector<StyleUse>& uses);
    std::uint16_t fontIndexOf(const TvteXLSFont& font);
    std::uint16_t formatIndexOf(const QString& format);
    XfBytes cellXf(const TvteXLSCellStyle& style, bool multiCell);

    std::vector<TvteXLSFont> fonts_;
    std::vector<std::uint16_t> fontColorIndexes_;
    std::vector<NumberFormat> formats_;
    int appendedFormats_ = 0;
    std::vector<XfBytes> cellXfs_;
    TvteXLSPalette palette_;
    qsizetype textCells_ = 0;             // cells with non-empty text
    std::vector<std::uint16_t> xfByKey_;  // keyOf(style, multiCell) -> XF index
    std::vector<std::vector<std::int32_t>> sharedStringIndexes_;  // per sheet, by range slot
};

}  // namespace vlr::xls
