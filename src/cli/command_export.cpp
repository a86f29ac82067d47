#include "cli/saved_file_command.h"
#include "docs/document_export.h"
#include "docs/export_format.h"
#include "store/store_error.h"

namespace vlr::cli {
namespace {

const char kUsage[] =
    "Usage: vlr export (--file NAME | --id N) --out PATH.xls|PATH.xlsx [--sort \"T4, F1 DESC\"]\n"
    "\n"
    "Exports a saved file of VelaronLink.mdb in the current folder to a workbook: a header\n"
    "row and one row per record, with the columns of the file's kind. PATH's suffix picks the\n"
    "format: .xls (65,535 records a sheet, the date-time as text) or .xlsx (1,048,575 records\n"
    "a sheet, real date-time cells, the header frozen under an autofilter).\n"
    "\n"
    "  --file NAME   the saved file of this name; when several have it, the oldest, and\n"
    "                the error stream says which was taken and lists the others' ids\n"
    "  --id N        the file with this FileNameId\n"
    "  --out PATH    the workbook to write; \".xls\" is added when PATH has no extension;\n"
    "                any other suffix than .xls or .xlsx is refused;\n"
    "                an existing file is replaced only once the new one is complete\n"
    "  --sort ORDER  the record order, as the document window's sorted columns give it:\n"
    "                field names of the kind's columns, each optionally followed by DESC,\n"
    "                separated by commas. Default: N, DateTime.\n"
    "\n"
    "Exit codes: 0 exported, 1 the file or the workbook failed, 2 wrong options.\n";

QString writeWorkbook(const store::Database& database, int fileNameId,
                      const docs::DocumentKind& kind, const docs::RecordOrder& order,
                      const QString& path) {
    const docs::ExportFormatInfo* format = docs::exportFormatOf(path);
    if (format == nullptr)
        throw CommandFailure{QStringLiteral("cannot write '%1': the formats are %2")
                                 .arg(path, docs::exportSuffixesText()),
                             2};
    try {
        docs::exportDocumentAs(format->format, database, fileNameId, kind, order, path);
    } catch (const store::StoreError& error) {
        throw CommandFailure{
            docs::exportFailedText() + QStringLiteral(" (") + error.message() + QLatin1Char(')'),
            1};
    } catch (const docs::ExportWriteError& error) {
        throw CommandFailure{error.message(), 1};
    }
    return docs::exportSucceededText(path);
}

int runExport(const QStringList& args, CliStreams& io) {
    return runSavedFileCommand(
        {QStringLiteral("export"), QString::fromUtf8(kUsage), QStringLiteral("xls"), writeWorkbook},
        args, io);
}

const CliRegistration registration{
    {QStringLiteral("export"), QStringLiteral("export a saved file to an .xls or .xlsx workbook"),
     runExport}};

}  // namespace
}  // namespace vlr::cli
