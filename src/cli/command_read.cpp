#include "app/database_access.h"
#include "app/settings_store.h"
#include "app/station.h"
#include "cli/cli_command.h"
#include "cli/cli_database.h"
#include "link/archive_read_session.h"
#include "link/console_exchange_view.h"
#include "link/exchange_texts.h"
#include "link/link_session.h"
#include "store/database.h"
#include "store/received_rows_file.h"
#include "store/store_error.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>

#include <unistd.h>

#include <algorithm>
#include <optional>

namespace vlr::cli {
namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoInstrument = 3;

void printHelp(QTextStream& out) {
    out << "Usage: vlr read [--port COMn] [--timeout SECONDS] [--save NAME]\n\n"
        << "Finds the instrument, identifies it and reads its archive into the received rows\n"
        << "of " << store::Database::fileName() << " in the current folder, as the receive "
        << "window does.\n\n"
        << "  --port COMn        use only this port (COM1 .. COM16); otherwise the stored port\n"
        << "                     settings: automatic detection over the present ports, or the\n"
        << "                     fixed port chosen in the desktop program\n"
        << "  --timeout SECONDS  how long to wait for an instrument that can be read "
           "(default 30);\n"
        << "                     an adapter plugged in meanwhile is found\n"
        << "  --save NAME        then gather the received rows into a new saved file NAME\n"
        << "                     (the asphalt variant gives one per archive; the asphalt\n"
        << "                     archive's is named \"NAME (Асфальтобетон)\")\n\n"
        << "Exit status: 0 read (or the archive is empty), 1 failed, 2 wrong usage,\n"
        << "3 no instrument answered in time.\n";
}

struct ReadOptions {
    std::optional<int> port;
    int timeoutSeconds = 30;
    QString saveName;
};

// Fills options; returns an error text for the user, empty when the arguments are good.
QString parseOptions(const QStringList& args, ReadOptions& options) {
    static const QRegularExpression portPattern(QStringLiteral("^COM ?(\\d+)$"),
                                                QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < args.size(); ++i) {
        const QString& option = args[i];
        if (i + 1 >= args.size())
            return QStringLiteral("unknown option or missing value '%1'").arg(option);
        const QString value = args[++i];
        if (option == QLatin1String("--port")) {
            const QRegularExpressionMatch match = portPattern.match(value);
            const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
            if (number < 1 || number > link::kComPortCount)
                return QStringLiteral("--port: expected COM1 .. COM16, got '%1'").arg(value);
            options.port = number;
        } else if (option == QLatin1String("--timeout")) {
            bool ok = false;
            options.timeoutSeconds = value.toInt(&ok);
            if (!ok || options.timeoutSeconds < 1 || options.timeoutSeconds > 86400)
                return QStringLiteral("--timeout: expected seconds from 1 to 86400");
        } else if (option == QLatin1String("--save")) {
            options.saveName = value.trimmed();
            if (options.saveName.isEmpty() || options.saveName.size() > 50)
                return QStringLiteral("--save: the name must have 1 to 50 characters");
        } else {
            return QStringLiteral("unknown option '%1'").arg(option);
        }
    }
    return {};
}

link::PortSettings portSettingsFor(const ReadOptions& options) {
    if (options.port)
        return {false, QStringLiteral("COM %1").arg(*options.port)};
    const auto store = app::SettingsStore::forCurrentUser();
    return app::readSettings(*store, QDir::currentPath()).Ports;
}

// What kept the read from receiving the whole archive; empty when it received every record.
QString interruptionText(const link::ReadOutcome& outcome, int portNumber) {
    namespace texts = link::texts;
    const QString received =
        QStringLiteral(" Принято: %1/%2").arg(outcome.received).arg(outcome.expected);
    switch (outcome.result) {
        case link::ReadResult::UnknownInstrument:
            return texts::instrumentNotIdentified();
        case link::ReadResult::UnknownFirmware:
            return texts::unknownFirmware();
        case link::ReadResult::TransmissionError:
            return texts::recordTransmissionError() + received;
        case link::ReadResult::NoInstrument:
            return texts::disconnected() + QLatin1Char('.') + received;
        case link::ReadResult::PortLost:
            return texts::portLost(portNumber, outcome.received, outcome.expected);
        case link::ReadResult::DatabaseLost:
            return texts::databaseLost(outcome.databaseFailure, outcome.received, outcome.expected);
        case link::ReadResult::Complete:
        case link::ReadResult::EmptyArchive:
            break;
    }
    return {};
}

int saveRows(const store::Database& database, const link::ExchangeController& exchange,
             const QString& name, CliStreams& io) {
    try {
        const auto files = store::saveReceivedRows(database, name, exchange.DeviceListId(),
                                                   exchange.DeviceNumArc());
        for (const store::ReceivedRowsFile& file : files)
            io.out << "Файл \"" << file.name << "\" сохранён: записей " << file.rows << " (архив "
                   << file.deviceNArc << ")\n";
        return 0;
    } catch (const store::StoreError& error) {
        io.err << "vlr read: Не могу создать файл! (" << error.message() << ")\n";
        return ExitFailure;
    }
}

int runRead(const QStringList& args, CliStreams& io) {
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printHelp(io.out);
        return 0;
    }
    ReadOptions options;
    if (const QString problem = parseOptions(args, options); !problem.isEmpty()) {
        io.err << "vlr read: " << problem << "\n\n";
        printHelp(io.err);
        return ExitUsage;
    }

    // A read replaces the station's received rows of the kind: never while the desktop program
    // of the same settings runs on them.
    const auto settings = app::SettingsStore::forCurrentUser();
    app::StationLock station(*settings);
    if (!station.acquire(app::stationIdentity(*settings))) {
        io.err << "vlr read: " << station.failureText() << "\n";
        return ExitFailure;
    }
    store::Database database;
    if (const auto failure = openToolDatabase(database)) {
        io.err << "vlr read: " << failure->userText << " (" << failure->reason << ")\n";
        return ExitFailure;
    }

    const link::PortSettings ports = portSettingsFor(options);
    link::ConsoleExchangeView view(io.out, ::isatty(STDOUT_FILENO) == 1);
    link::LinkSession link(database, view, ports);

    // Ports that appear while the command waits (an adapter plugged in) are found as well.
    link.watchPorts();
    const link::ComPortTable& present = link.ports();
    if (std::all_of(present.begin(), present.end(), [](const QString& p) { return p.isEmpty(); }))
        io.err << "vlr read: no COM port yet, waiting for one (see 'vlr ports')\n";

    link::ArchiveReadSession session(link, view, options.timeoutSeconds * 1000);
    QEventLoop loop;
    session.onFinished = [&loop](const link::ReadOutcome&) { loop.quit(); };
    session.start();
    loop.exec();
    view.endLiveLine();

    const link::ReadOutcome& outcome = session.outcome();
    if (outcome.result == link::ReadResult::NoInstrument && !session.readStarted()) {
        io.err << "vlr read: Прибор не ответил (" << options.timeoutSeconds << " с)\n";
        return ExitNoInstrument;
    }
    if (outcome.result == link::ReadResult::EmptyArchive) {
        io.out << link::texts::archiveEmpty() << "\n";
        return 0;
    }
    if (outcome.result != link::ReadResult::Complete || outcome.notStored > 0) {
        if (const QString interruption = interruptionText(outcome, link.exchange().PortIndex() + 1);
            !interruption.isEmpty())
            io.err << "vlr read: " << interruption << "\n";
        // Rows the database refused make the read a failure however it ended.
        if (outcome.notStored > 0)
            io.err << "vlr read: "
                   << link::texts::recordsNotStored(outcome.notStored, outcome.received) << "\n";
        return ExitFailure;
    }
    io.out << "Архив считан: " << outcome.received << "/" << outcome.expected << "\n";
    return options.saveName.isEmpty() ? 0
                                      : saveRows(database, link.exchange(), options.saveName, io);
}

const CliRegistration registration{
    {QStringLiteral("read"),
     QStringLiteral("find the instrument and read its archive into the received rows"), runRead}};

}  // namespace
}  // namespace vlr::cli
