#pragma once

#include "xls/workbook_tables.h"
#include "xls/xls_workbook.h"

#include <QByteArray>

namespace vlr::xls {

// Appends the substream of one worksheet (BOF to EOF) to the workbook stream. DBCELL
// positions are stored relative to startPosition, the stream position of the globals' BOF.
void writeWorksheetStream(QByteArray& stream, const TvteXLSWorksheet& sheet, int sheetIndex,
                          const WorkbookTables& tables, qsizetype startPosition);

}  // namespace vlr::xls
