#include "docs/xlsx_export.h"

#include "docs/document_report.h"
#include "xlsx/replacement_file.h"

#include <QDateTime>

namespace vlr::docs {
namespace {

// The spreadsheet's dates start in 1900; an earlier one is kept as text.
constexpr int kFirstYear = 1900;

// A cell gets the value the one reader of records gives: a null leaves it empty, a stored
// date-time that is no date and time arrives as its text and stays text.
void setCell(xlsx::TableBook& book, int column, FieldType type, const QVariant& value) {
    if (value.isNull())
        return;
    if (type == FieldType::DateTime && value.typeId() == QMetaType::QDateTime) {
        const QDateTime dateTime = value.toDateTime();
        const QDate date = dateTime.date();
        const QTime time = dateTime.time();
        if (date.year() < kFirstYear)
            book.setText(column, dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8());
        else
            book.setDateTime(column, date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second());
        return;
    }
    if (type == FieldType::Integer || type == FieldType::Number)
        book.setNumber(column, value.toDouble());
    else
        book.setText(column, value.toString().toUtf8());
}

}  // namespace

void exportXlsxDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                        const RecordOrder& order, const QString& path,
                        const std::function<void()>& eachRow, int recordsPerSheet) {
    QStringList fields;
    QStringList headers;
    for (const ExportColumn& column : kind.columns) {
        fields << column.field;
        headers << column.header;
    }
    const FileRecords records(database, fileNameId, order, fields);
    xlsx::ReplacementFile file(path);
    xlsx::TableBook book(file.path(), printDocumentName(database, fileNameId), headers,
                         recordsPerSheet);
    for (int record = 0; record < records.count(); ++record) {
        book.beginRow();
        for (int c = 0; c < kind.columns.size(); ++c)
            setCell(book, c, kind.columns[c].type, records.value(record, c));
        if (eachRow)
            eachRow();
    }
    book.close();
    file.commit();
}

}  // namespace vlr::docs
