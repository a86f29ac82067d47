#pragma once

#include "xls/stream_sink.h"
#include "xls/workbook_tables.h"
#include "xls/xls_workbook.h"

#include <QByteArray>

namespace vlr::xls {

// Appends the substream of one worksheet (BOF to EOF) to the workbook stream.
void writeWorksheetStream(StreamSink& sink, const TvteXLSWorksheet& sheet, int sheetIndex,
                          const WorkbookTables& tables);

}  // namespace vlr::xls
