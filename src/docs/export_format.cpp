#include "docs/export_format.h"

#include "docs/document_export.h"
#include "docs/xlsx_export.h"
#include "xls/xls_error.h"
#include "xlsx/xlsx_error.h"

#include <QFileInfo>
#include <QStringList>

namespace vlr::docs {

const QVector<ExportFormatInfo>& exportFormats() {
    static const QVector<ExportFormatInfo> formats{
        {ExportFormat::Xls, QStringLiteral("xls"), QStringLiteral("Книга Excel (*.xls)")},
        {ExportFormat::Xlsx, QStringLiteral("xlsx"),
         QStringLiteral("Книга Excel 2007–365 (*.xlsx)")}};
    return formats;
}

const ExportFormatInfo* exportFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    for (const ExportFormatInfo& format : exportFormats()) {
        if (suffix.compare(format.suffix, Qt::CaseInsensitive) == 0)
            return &format;
    }
    return nullptr;
}

QString exportSuffixesText() {
    QStringList suffixes;
    for (const ExportFormatInfo& format : exportFormats())
        suffixes << format.suffix;
    return suffixes.join(QStringLiteral(", "));
}

ExportTarget exportTarget(const QString& path, ExportFormat chosen) {
    if (const ExportFormatInfo* named = exportFormatOf(path))
        return {path, named->format};
    for (const ExportFormatInfo& format : exportFormats()) {
        if (format.format == chosen)
            return {path + QLatin1Char('.') + format.suffix, chosen};
    }
    return {path, chosen};
}

void exportDocumentAs(ExportFormat format, const store::Database& database, int fileNameId,
                      const DocumentKind& kind, const RecordOrder& order, const QString& path,
                      const std::function<void()>& eachRow) {
    switch (format) {
        case ExportFormat::Xls:
            try {
                exportDocument(database, fileNameId, kind, order, path, eachRow);
            } catch (const xls::XlsError& error) {
                throw ExportWriteError(error.message());
            }
            return;
        case ExportFormat::Xlsx:
            try {
                exportXlsxDocument(database, fileNameId, kind, order, path, eachRow);
            } catch (const xlsx::XlsxError& error) {
                throw ExportWriteError(exportFailedText() + QStringLiteral(" (") + error.message() +
                                       QLatin1Char(')'));
            }
            return;
    }
}

}  // namespace vlr::docs
