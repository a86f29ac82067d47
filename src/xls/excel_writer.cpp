#include "xls/excel_writer.h"

#include "xls/compound_file.h"

namespace vlr::xls {

void TvteExcelWriter::SaveToFile(const TvteXLSWorkbook& workbook, const QString& fileName) {
    // The stream goes to a new file beside the target as it is made; a refused workbook or a
    // failed write leaves any existing file as it was.
    saveCompoundFile(fileName, QStringLiteral("Workbook"),
                     [&workbook](StreamSink& sink) { writeWorkbookStream(workbook, sink); });
}

}  // namespace vlr::xls
