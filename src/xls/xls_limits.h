#pragma once

#include "xls/xls_workbook.h"

namespace vlr::xls {

constexpr std::int32_t kMaxRow = 65535;
constexpr std::int32_t kMaxColumn = 255;
constexpr qsizetype kMaxTextLength = 65535;

// Rows, columns and text lengths travel as 16-bit numbers in the file; anything beyond
// would wrap into a corrupt file, so such a sheet is refused with an XlsError.
void checkSheetBounds(const TvteXLSWorksheet& sheet);
void checkRange(const TvteXLSWorksheet& sheet, const TvteXLSRange& range);
void checkText(const TvteXLSWorksheet& sheet, QStringView text);

}  // namespace vlr::xls
