#include "cli/saved_file_command.h"
#include "docs/document_report.h"
#include "report/pdf_output.h"
#include "store/store_error.h"

#include <QFileInfo>

namespace vlr::cli {
namespace {

const char kUsage[] =
    "Usage: vlr print (--file NAME | --id N) --out PATH.pdf [--sort \"T4, F1 DESC\"]\n"
    "\n"
    "Prints a saved file of VelaronLink.mdb in the current folder to a PDF file, with the\n"
    "report of the file's kind: A4 landscape, the title on the first page, the column\n"
    "headings on every page, one line per record and the page number at every page's foot.\n"
    "\n"
    "  --file NAME   the saved file of this name; when several have it, the oldest, and\n"
    "                the error stream says which was taken and lists the others' ids\n"
    "  --id N        the file with this FileNameId\n"
    "  --out PATH    the PDF to write; \".pdf\" is added when PATH has no extension;\n"
    "                an existing file is replaced only once the new one is complete\n"
    "  --sort ORDER  the record order, as the document window's sorted columns give it:\n"
    "                field names of the kind's columns, each optionally followed by DESC,\n"
    "                separated by commas. Default: N, DateTime.\n"
    "\n"
    "Exit codes: 0 printed, 1 the file or the PDF failed, 2 wrong options.\n";

QString writeReport(const store::Database& database, int fileNameId, const docs::DocumentKind& kind,
                    const docs::RecordOrder& order, const QString& path) {
    report::Preparation prepared;
    try {
        prepared = docs::prepareDocumentReport(database, fileNameId, kind, order);
    } catch (const store::StoreError& error) {
        throw CommandFailure{
            docs::printFailedText() + QStringLiteral(" (") + error.message() + QLatin1Char(')'), 1};
    }
    if (!prepared.succeeded())
        throw CommandFailure{QStringLiteral("the report failed: ") + prepared.error, 1};
    try {
        report::writePdf(*prepared.report, path);
    } catch (const report::ReportError& error) {
        throw CommandFailure{error.message(), 1};
    }
    return QStringLiteral("Напечатано в файл %1: %2 стр.")
        .arg(QFileInfo(path).fileName())
        .arg(prepared.report->pageCount());
}

int runPrint(const QStringList& args, CliStreams& io) {
    return runSavedFileCommand(
        {QStringLiteral("print"), QString::fromUtf8(kUsage), QStringLiteral("pdf"), writeReport},
        args, io);
}

const CliRegistration registration{
    {QStringLiteral("print"), QStringLiteral("print a saved file to a PDF"), runPrint, true}};

}  // namespace
}  // namespace vlr::cli
