#include "app/database_access.h"
#include "app/settings_store.h"
#include "cli/cli_command.h"
#include "link/archive_read_session.h"
#include "link/comm_port_driver.h"
#include "link/console_exchange_view.h"
#include "link/exchange_controller.h"
#include "link/port_probe.h"
#include "link/tick_timer.h"
#include "store/database.h"
#include "store/received_rows_file.h"
#include "store/store_error.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>

#include <unistd.h>
#include <optional>

namespace vlr::cli {
namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoInstrument = 3;
constexpr int ComOutIntervalMs = 1000;

void printHelp(QTextStream& out) {
    out << "Usage: vlr read [--port COMn] [--timeout SECONDS] [--save NAME]\n\n"
        << "Finds the instrument, identifies it and reads its archive into the received rows\n"
        << "of " << store::Database::fileName() << " in the current folder, as the receive "
        << "window does.\n\n"
        << "  --port COMn        use only this port (COM1 .. COM16); otherwise the stored port\n"
        << "                     settings: automatic detection over the present ports, or the\n"
        << "                     fixed port chosen in the desktop program\n"
        << "  --timeout SECONDS  how long to wait for an instrument that can be read "
           "(default 30)\n"
        << "  --save NAME        then gather the received rows into a new saved file NAME\n"
        << "                     (the asphalt variant gives one per archive)\n\n"
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
    const app::Settings settings = app::readSettings(*store, QDir::currentPath());
    return {settings.AutoDetectCom, settings.SelectedCom};
}

QString outcomeText(link::ReadOutcome outcome, const link::ExchangeController& exchange) {
    const QString counts =
        QStringLiteral("%1/%2").arg(exchange.ReceivedTotal()).arg(exchange.ExpectedTotal());
    switch (outcome) {
        case link::ReadOutcome::Complete:
            return QStringLiteral("Архив считан: ") + counts;
        case link::ReadOutcome::EmptyArchive:
            return QStringLiteral("Записей в архиве нет!");
        case link::ReadOutcome::NoInstrument:
            return QStringLiteral("Прибор не ответил");
        case link::ReadOutcome::NotIdentified:
            return QStringLiteral("Прибор не опознан!");
        case link::ReadOutcome::UnknownFirmware:
            return QStringLiteral("Неизвестная версия прибора");
        case link::ReadOutcome::TransmissionError:
            return QStringLiteral("Ошибка передачи данных !!! Принято: ") + counts;
        case link::ReadOutcome::LinkLost:
            return QStringLiteral("Отключен. Принято: ") + counts;
        case link::ReadOutcome::Running:
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
            io.out << "Файл \"" << name << "\" сохранён: записей " << file.rows << " (архив "
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

    store::Database database;
    if (const auto failure = app::openProgramDatabase(database, QDir::currentPath())) {
        io.err << "vlr read: " << failure->userText << " (" << failure->reason << ")\n";
        return ExitFailure;
    }

    link::TCommPortDriver port;
    port.setEnableDTROnOpen(false);
    const auto comOutTimer = link::makeQtTickTimer(ComOutIntervalMs);
    link::ConsoleExchangeView view(io.out, ::isatty(STDOUT_FILENO) == 1);
    link::ExchangeController exchange(port, *comOutTimer, database, view, portSettingsFor(options));

    exchange.setScanEnabled(false);
    const link::PresentPorts present = link::probePresentPorts(port);
    if (std::none_of(present.begin(), present.end(), [](bool p) { return p; })) {
        io.err << "vlr read: no COM port opens (see 'vlr ports')\n";
        return ExitNoInstrument;
    }
    exchange.setPresentPorts(present);

    link::ArchiveReadSession session(exchange, view, options.timeoutSeconds * 1000);
    QEventLoop loop;
    session.onFinished = [&loop](link::ReadOutcome) { loop.quit(); };
    session.start();
    loop.exec();
    view.endLiveLine();

    const link::ReadOutcome outcome = session.outcome();
    const QString text = outcomeText(outcome, exchange);
    switch (outcome) {
        case link::ReadOutcome::Complete:
            io.out << text << "\n";
            return options.saveName.isEmpty() ? 0
                                              : saveRows(database, exchange, options.saveName, io);
        case link::ReadOutcome::EmptyArchive:
            io.out << text << "\n";
            return 0;
        case link::ReadOutcome::NoInstrument:
            io.err << "vlr read: " << text << " (" << options.timeoutSeconds << " с)\n";
            return ExitNoInstrument;
        default:
            io.err << "vlr read: " << text << "\n";
            return ExitFailure;
    }
}

const CliRegistration registration{
    {QStringLiteral("read"),
     QStringLiteral("find the instrument and read its archive into the received rows"), runRead}};

}  // namespace
}  // namespace vlr::cli
