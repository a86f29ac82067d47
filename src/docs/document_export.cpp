#include "docs/document_export.h"

#include "xls/excel_writer.h"
#include "xls/xls_workbook.h"

#include <QFileInfo>

namespace vlr::docs {
namespace {

xls::TvteXLSWorksheet& addSheetWithHeader(xls::TvteXLSWorkbook& workbook,
                                          const DocumentKind& kind) {
    xls::TvteXLSWorksheet& sheet = workbook.AddSheet();
    for (int c = 0; c < kind.columns.size(); ++c)
        sheet.GetRange(c, 0, c, 0).SetValue(kind.columns[c].header);
    return sheet;
}

}  // namespace

void fillExportWorkbook(xls::TvteXLSWorkbook& workbook, const store::Database& database,
                        int fileNameId, const DocumentKind& kind, const RecordOrder& order,
                        const std::function<void()>& eachRow) {
    QStringList fields;
    for (const ExportColumn& column : kind.columns)
        fields << column.field;
    const FileRecords records(database, fileNameId, order, fields);

    xls::TvteXLSWorksheet* sheet = &addSheetWithHeader(workbook, kind);
    int row = 0;
    for (int record = 0; record < records.count(); ++record) {
        if (eachRow)
            eachRow();
        if (row == kRecordsPerSheet) {
            sheet = &addSheetWithHeader(workbook, kind);
            row = 0;
        }
        ++row;
        for (int c = 0; c < kind.columns.size(); ++c) {
            // A null field stays an empty cell.
            const QVariant value = records.value(record, c);
            if (!value.isNull())
                sheet->GetRange(c, row, c, row).SetValue(value);
        }
    }
}

void exportDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                    const RecordOrder& order, const QString& path,
                    const std::function<void()>& eachRow) {
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, database, fileNameId, kind, order, eachRow);
    xls::TvteExcelWriter writer;
    writer.SaveToFile(workbook, path);
}

QString exportSucceededText(const QString& path) {
    return QStringLiteral("Экспорт в файл ") + QFileInfo(path).fileName() +
           QStringLiteral(" завершен успешно.");
}

QString exportFailedText() {
    return QStringLiteral("Не могу экспортировать файл!");
}

}  // namespace vlr::docs
