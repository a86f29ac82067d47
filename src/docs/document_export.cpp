#include "docs/document_export.h"

#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "xls/excel_writer.h"
#include "xls/xls_workbook.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <vector>

namespace vlr::docs {
namespace {

// The stored "yyyy-MM-dd HH:mm:ss" as a wall-clock date-time. It is read without the local
// time zone: a measurement taken in the hour a clock change skips or repeats keeps its time,
// and a large file is not slowed down by a zone lookup per record.
QDateTime wallClockDateTime(const QString& stored) {
    if (stored.size() != 19)
        return QDateTime();
    const auto number = [&stored](int from, int length) {
        return QStringView(stored).mid(from, length).toInt();
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

// The value a cell gets for a field as the print row set reads it. A null field gives an
// empty cell.
QVariant cellValue(FieldType type, const QVariant& field) {
    if (field.isNull())
        return QVariant();
    switch (type) {
        case FieldType::Integer:
            return field.typeId() == QMetaType::Int ? field : QVariant(field.toInt());
        case FieldType::DateTime: {
            const QDateTime dateTime = wallClockDateTime(field.toString());
            return dateTime.isValid() ? QVariant(dateTime) : QVariant();
        }
        // A field the driver already gives in the cell's type is handed on without a copy.
        case FieldType::Number:
            return field.typeId() == QMetaType::Double ? field : QVariant(field.toDouble());
        case FieldType::Text:
            return field.typeId() == QMetaType::QString ? field : QVariant(field.toString());
    }
    return QVariant();
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
                        int fileNameId, const DocumentKind& kind, const store::Statement& search) {
    store::Query print(database, store::printStatementFor(search));
    QSqlQuery& rows = print.set(QStringLiteral("PFileNameId"), fileNameId).open();

    std::vector<int> fieldIndexes;
    for (const ExportColumn& column : kind.columns) {
        const int index = rows.record().indexOf(column.field);
        if (index < 0)
            throw store::StoreError(QStringLiteral("the rows have no field ") + column.field);
        fieldIndexes.push_back(index);
    }

    xls::TvteXLSWorksheet* sheet = &addSheetWithHeader(workbook, kind);
    int row = 0;
    while (rows.next()) {
        if (row == kRecordsPerSheet) {
            sheet = &addSheetWithHeader(workbook, kind);
            row = 0;
        }
        ++row;
        for (int c = 0; c < kind.columns.size(); ++c) {
            sheet->GetRange(c, row, c, row)
                .SetValue(cellValue(kind.columns[c].type, rows.value(fieldIndexes[size_t(c)])));
        }
    }
    // A failure while stepping through the rows must not pass for the end of the file.
    if (rows.lastError().isValid())
        throw store::StoreError(rows.lastError().text());
}

void exportDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                    const store::Statement& search, const QString& path) {
    xls::TvteXLSWorkbook workbook;
    fillExportWorkbook(workbook, database, fileNameId, kind, search);
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
