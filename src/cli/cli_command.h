#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

namespace vlr::cli {

// Streams a command writes to; tests and main() hand in their own.
struct CliStreams {
    QTextStream& out;
    QTextStream& err;
};

// One sub-command of the `vlr` tool ("db", "read", ...). Each lives in its own file and
// registers itself with a static CliRegistration, so adding a command touches no other file.
struct CliCommand {
    QString name;
    QString summary;  // one line for `vlr --help`
    // Receives the arguments after the command name; returns the process exit code.
    std::function<int(const QStringList& args, CliStreams& io)> run;
    // Lays out text (printing), which needs the fonts of a GUI application.
    bool drawsText = false;
};

std::vector<CliCommand>& cliCommands();

struct CliRegistration {
    explicit CliRegistration(CliCommand command) { cliCommands().push_back(std::move(command)); }
};

}  // namespace vlr::cli
