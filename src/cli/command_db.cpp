#include "app/database_access.h"
#include "app/database_copy.h"
#include "app/database_summary.h"
#include "cli/cli_command.h"
#include "cli/cli_database.h"
#include "store/database.h"
#include "store/store_error.h"

#include <QDir>

namespace vlr::cli {
namespace {

void printHelp(QTextStream& out) {
    out << "Usage: vlr db [--copy-to DATABASE] [--help]\n\n"
        << "Shows the database " << store::Database::fileName()
        << " of the current folder (or the database of --database URL): where it is,\n"
        << "its instrument kinds, and how many received rows and saved files it holds.\n"
        << "A missing database is created.\n\n"
        << "--copy-to DATABASE copies every saved file (catalog row, records, notes) into\n"
        << "another database (a file path or a postgresql:// URL) in one transaction; it\n"
        << "refuses when a file of the same name and creation time is there already.\n";
}

void printSummary(const app::DatabaseSummary& summary, QTextStream& out) {
    out << "Database: " << QDir::toNativeSeparators(summary.path) << "\n";
    if (!summary.serverVersion.isEmpty())
        out << "Server: " << summary.serverVersion << "\n";
    out << "Instrument kinds:\n";
    for (const app::InstrumentKind& kind : summary.kinds) {
        out << "  " << QString::number(kind.id).rightJustified(2) << "  "
            << kind.name.leftJustified(10) << "  archives " << kind.archives << "  version "
            << kind.version.left(10) << "  type " << kind.type << "  subtype " << kind.subType
            << "\n";
    }
    out << "Received rows: " << summary.receivedRows << "\n"
        << "Saved files: " << summary.savedFiles << "\n";
    if (summary.serverVersion.isEmpty())
        return;
    out << "Stations (received rows, saved files):\n";
    for (auto station = summary.perStation.cbegin(); station != summary.perStation.cend();
         ++station)
        out << "  " << (station.key().isEmpty() ? QStringLiteral("-") : station.key()) << "  "
            << station.value().first << "  " << station.value().second << "\n";
}

int copyTo(const store::Database& source, const QString& destination, CliStreams& io) {
    store::Database target;
    const auto failure =
        app::openProgramDatabase(target, store::parseDatabaseLocation(destination));
    if (failure) {
        io.err << "vlr db: " << failure->userText << " (" << failure->reason << ")\n";
        return 1;
    }
    try {
        const int copied = app::copySavedFiles(source, target);
        io.out << "Скопировано файлов: " << copied << " в "
               << QDir::toNativeSeparators(target.location().description()) << "\n";
        return 0;
    } catch (const store::StoreError& error) {
        io.err << "vlr db: Не могу скопировать файлы! (" << error.message() << ")\n";
        return 1;
    }
}

int runDb(const QStringList& args, CliStreams& io) {
    if (args == QStringList{QStringLiteral("--help")} ||
        args == QStringList{QStringLiteral("-h")}) {
        printHelp(io.out);
        return 0;
    }
    const bool copy = !args.isEmpty() && args.first() == QLatin1String("--copy-to");
    if (copy && args.size() != 2) {
        io.err << "vlr db: --copy-to needs the database to copy to\n\n";
        printHelp(io.err);
        return 2;
    }
    if (!copy && !args.isEmpty()) {
        io.err << "vlr db: unexpected argument '" << args.first() << "'\n\n";
        printHelp(io.err);
        return 2;
    }
    store::Database database;
    if (const auto failure = openToolDatabase(database)) {
        io.err << "vlr db: " << failure->userText << " (" << failure->reason << ")\n";
        return 1;
    }
    try {
        if (copy)
            return copyTo(database, args.at(1), io);
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
