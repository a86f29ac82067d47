#include "app/database_access.h"
#include "app/database_summary.h"
#include "cli/cli_command.h"
#include "store/database.h"
#include "store/store_error.h"

#include <QDir>

namespace vlr::cli {
namespace {

void printHelp(QTextStream& out) {
    out << "Usage: vlr db [--help]\n\n"
        << "Shows the database " << store::Database::fileName()
        << " of the current folder: where it is,\n"
        << "its instrument kinds, and how many received rows and saved files it holds.\n"
        << "A missing database is created.\n";
}

void printSummary(const app::DatabaseSummary& summary, QTextStream& out) {
    out << "Database: " << QDir::toNativeSeparators(summary.path) << "\n"
        << "Instrument kinds:\n";
    for (const app::InstrumentKind& kind : summary.kinds) {
        out << "  " << QString::number(kind.id).rightJustified(2) << "  "
            << kind.name.leftJustified(10) << "  archives " << kind.archives << "  version "
            << kind.version.left(10) << "  type " << kind.type << "  subtype " << kind.subType
            << "\n";
    }
    out << "Received rows: " << summary.receivedRows << "\n"
        << "Saved files: " << summary.savedFiles << "\n";
}

int runDb(const QStringList& args, CliStreams& io) {
    if (args == QStringList{QStringLiteral("--help")} ||
        args == QStringList{QStringLiteral("-h")}) {
        printHelp(io.out);
        return 0;
    }
    if (!args.isEmpty()) {
        io.err << "vlr db: unexpected argument '" << args.first() << "'\n\n";
        printHelp(io.err);
        return 2;
    }
    store::Database database;
    if (const auto failure = app::openProgramDatabase(database, QDir::currentPath())) {
        io.err << "vlr db: " << failure->userText << " (" << failure->reason << ")\n";
        return 1;
    }
    try {
        printSummary(app::summarizeDatabase(database), io.out);
    } catch (const store::StoreError& error) {
        io.err << "vlr db: " << app::databaseAccessText() << " (" << error.message() << ")\n";
        return 1;
    }
    return 0;
}

const CliRegistration registration{
    {QStringLiteral("db"),
     QStringLiteral("show the database: instrument kinds, received rows, saved files"), runDb}};

}  // namespace
}  // namespace vlr::cli
