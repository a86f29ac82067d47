#include "xls/excel_writer.h"

#include "xls/compound_file.h"

namespace vlr::xls {

void TvteExcelWriter::SaveToFile(const TvteXLSWorkbook& workbook, const QString& fileName) {
    // The stream is complete before the file is touched, so a refused workbook leaves any
    // existing file as it was.
    const QByteArray stream = buildWorkbookStream(workbook);
    saveCompoundFile(fileName, QStringLiteral("Workbook"), stream);
}

}  // namespace vlr::xls
