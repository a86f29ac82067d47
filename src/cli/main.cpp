#include "cli/cli_command.h"
#include "cli/cli_database.h"
#include "version/version.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <memory>

namespace vlr::cli {

std::vector<CliCommand>& cliCommands() {
    static std::vector<CliCommand> commands;
    return commands;
}

namespace {

void printUsage(QTextStream& stream) {
    auto commands = cliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    stream << "Usage: vlr COMMAND [OPTIONS]\n\n"
           << "Velaron Link command-line tool. Works on VelaronLink.mdb in the current folder,\n"
           << "or on the database given by --database URL (or VLR_DATABASE), e.g.\n"
           << "  vlr --database postgresql://user@host/lab db\n\n"
           << "Commands:\n";
    for (const CliCommand& command : commands)
        stream << "  " << command.name.leftJustified(10) << command.summary << "\n";
    stream << "\nOptions:\n"
           << "  -h, --help  this text\n"
           << "  --version   the program's name and version\n"
           << "\nRun 'vlr COMMAND --help' for the options of a command.\n";
}

}  // namespace
}  // namespace vlr::cli

int main(int argc, char* argv[]) {
    using namespace vlr::cli;
    // The tool never shows a window: a command that lays out text gets the fonts of a GUI
    // application on the offscreen platform, the others need no platform at all.
    // The command's name: the first argument but the database option and its value.
    int commandAt = 1;
    while (commandAt < argc && qstrncmp(argv[commandAt], "--database", 10) == 0)
        commandAt += qstrcmp(argv[commandAt], "--database") == 0 ? 2 : 1;
    const bool drawsText =
        commandAt < argc &&
        std::any_of(cliCommands().begin(), cliCommands().end(), [&](const CliCommand& command) {
            return command.drawsText && command.name == argv[commandAt];
        });
    if (drawsText)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        drawsText ? std::make_unique<QGuiApplication>(argc, argv)
                  : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velaron"));
    QCoreApplication::setApplicationName(QStringLiteral("VLR"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    CliStreams io{out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    if (QString failure; !takeDatabaseOption(args, &failure)) {
        err << "vlr: " << failure << "\n";
        return 2;
    }
    if (args.isEmpty() || args.first() == QStringLiteral("--help") ||
        args.first() == QStringLiteral("-h")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QStringLiteral("--version")) {
        out << vlr::version::versionText(QStringLiteral("vlr")) << "\n";
        return 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& command : cliCommands()) {
        if (command.name == name)
            return command.run(args, io);
    }
    err << "vlr: unknown command '" << name << "'\n\n";
    printUsage(err);
    return 2;
}
