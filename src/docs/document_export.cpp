#include "docs/document_export.h"

#include "docs/wall_clock_date_time.h"
#include "store/database.h"
#include "store/query.h"
#include "store/row_cursor.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "xls/excel_writer.h"
#include "xls/xls_workbook.h"

#include <QFileInfo>

#include <vector>

namespace vlr::docs {
namespace {

// A cell gets the field as the print row set reads it; a null field or an unreadable date-time
// gives an empty cell.
void setCell(xls::TvteXLSRange cell, FieldType type, const store::RowCursor& rows, int field) {
    if (rows.isNull(field))
        return;
    switch (type) {
        case FieldType::Integer:
            cell.SetInteger(rows.integer(field));
            break;
        case FieldType::DateTime: {
            const auto [date, time] = wallClockDateTime(rows.utf8(field));
            if (date.isValid())
                cell.SetDateTime(date, time);
            break;
        }
        case FieldType::Number:
            cell.SetDouble(rows.number(field));
            break;
        case FieldType::Text:
            cell.SetUtf8Text(rows.utf8(field));
            break;
    }
}

xls::TvteXLSWorksheet& addSheetWithHeader(xls::TvteXLSWorkbook& workbook,
                                          const DocumentKind& kind) {
    xls::TvteXLSWorksheet& sheet = workbook.AddSheet();
    for (int c = 0; c < kind.columns.size(); ++c)
        sheet.GetRange(c, 0, c, 0).SetValue(kind.columns[c].header);
    return sheet;
}

}  // namespace

void fillExportWorkbook(xls::TvteXLSWorkbook& workbook, const store::Database& database,
                        int fileNameId, const DocumentKind& kind, const store::Statement& search,
                        const std::function<void()>& eachRow) {
    store::Query print(database, store::printStatementFor(search));
    print.set(QStringLiteral("PFileNameId"), fileNameId);
    store::RowCursor rows(database, print);

    std::vector<int> fieldIndexes;
    for (const ExportColumn& column : kind.columns) {
        const int index = rows.columnIndex(column.field);
        if (index < 0)
            throw store::StoreError(QStringLiteral("the rows have no field ") + column.field);
        fieldIndexes.push_back(index);
    }

    xls::TvteXLSWorksheet* sheet = &addSheetWithHeader(workbook, kind);
    int row = 0;
    while (rows.next()) {
        if (eachRow)
            eachRow();
        if (row == kRecordsPerSheet) {
            sheet = &addSheetWithHeader(workbook, kind);
            row = 0;
        }
        ++row;
        for (int c = 0; c < kind.columns.size(); ++c) {
            setCell(sheet->GetRange(c, row, c, row), kind.columns[c].type, rows,
                    fieldIndexes[size_t(c)]);
        }
    }
}

void exportDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                    const store::Statement& search, const QString& path,
                    const std::function<void()>& eachRow) {
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, database, fileNameId, kind, search, eachRow);
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
