#include "cli/saved_file_command.h"
#include "docs/document_export.h"
#include "store/store_error.h"
#include "xls/xls_error.h"

namespace vlr::cli {
namespace {

const char kUsage[] =
    "Usage: vlr export (--file NAME | --id N) --out PATH.xls [--sort \"T4, F1 DESC\"]\n"
    "\n"
    "Exports a saved file of VelaronLink.mdb in the current folder to an .xls workbook:\n"
    "a header row and one row per record, with the columns of the file's kind.\n"
    "\n"
    "  --file NAME   the saved file of this name (the oldest when several have it)\n"
    "  --id N        the file with this FileNameId\n"
    "  --out PATH    the workbook to write; \".xls\" is added when PATH has no extension;\n"
    "                an existing file is replaced only once the new one is complete\n"
    "  --sort ORDER  the record order, as the document window's sorted columns give it:\n"
    "                field names of the kind's columns, each optionally followed by DESC,\n"
    "                separated by commas. Default: N, DateTime.\n"
    "\n"
    "Exit codes: 0 exported, 1 the file or the workbook failed, 2 wrong options.\n";

QString writeWorkbook(const store::Database& database, int fileNameId,
                      const docs::DocumentKind& kind, const docs::RecordOrder& order,
                      const QString& path) {
    try {
        docs::exportDocument(database, fileNameId, kind, order, path);
    } catch (const store::StoreError& error) {
        throw CommandFailure{
            docs::exportFailedText() + QStringLiteral(" (") + error.message() + QLatin1Char(')'),
            1};
    } catch (const xls::XlsError& error) {
        throw CommandFailure{error.message(), 1};
    }
    return docs::exportSucceededText(path);
}

int runExport(const QStringList& args, CliStreams& io) {
    return runSavedFileCommand(
        {QStringLiteral("export"), QString::fromUtf8(kUsage), QStringLiteral("xls"), writeWorkbook},
        args, io);
}

const CliRegistration registration{{QStringLiteral("export"),
                                    QStringLiteral("export a saved file to an .xls workbook"),
                                    runExport}};

}  // namespace
}  // namespace vlr::cli
