#include "docs/xlsx_export.h"

#include "docs/document_report.h"
#include "docs/export_rows.h"
#include "docs/wall_clock_date_time.h"
#include "xlsx/replacement_file.h"

namespace vlr::docs {
namespace {

// The spreadsheet's dates start in 1900; an earlier one is kept as the stored text.
constexpr int kFirstYear = 1900;

void setCell(xlsx::TableBook& book, int column, FieldType type, const ExportRows& rows) {
    if (rows.isNull(column))
        return;
    switch (type) {
        case FieldType::Integer:
            book.setNumber(column, rows.integer(column));
            break;
        case FieldType::DateTime: {
            const QByteArrayView stored = rows.utf8(column);
            const auto [date, time] = wallClockDateTime(stored);
            if (!date.isValid())
                break;
            if (date.year() < kFirstYear)
                book.setText(column, stored);
            else
                book.setDateTime(column, date.year(), date.month(), date.day(), time.hour(),
                                 time.minute(), time.second());
            break;
        }
        case FieldType::Number:
            book.setNumber(column, rows.number(column));
            break;
        case FieldType::Text:
            book.setText(column, rows.utf8(column));
            break;
    }
}

}  // namespace

void exportXlsxDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                        const store::Statement& search, const QString& path,
                        const std::function<void()>& eachRow, int recordsPerSheet) {
    ExportRows rows(database, fileNameId, kind, search);
    QStringList headers;
    for (const ExportColumn& column : kind.columns)
        headers << column.header;
    xlsx::ReplacementFile file(path);
    xlsx::TableBook book(file.path(), printDocumentName(database, fileNameId), headers,
                         recordsPerSheet);
    while (rows.next()) {
        book.beginRow();
        for (int c = 0; c < kind.columns.size(); ++c)
            setCell(book, c, kind.columns[c].type, rows);
        if (eachRow)
            eachRow();
    }
    book.close();
    file.commit();
}

}  // namespace vlr::docs
