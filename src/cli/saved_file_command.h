#pragma once

#include "cli/cli_command.h"
#include "docs/document_kind.h"
#include "docs/file_records.h"

#include <functional>

namespace vlr::store {
class Database;
}

namespace vlr::cli {

// A failure of a command: its text and the exit code (1 failed, 2 wrong usage).
struct CommandFailure {
    QString text;
    int code;
};

// What a command over one saved file writes, once the file, its kind and its order are known.
// It returns the line to print on success and throws CommandFailure when it fails.
using SavedFileWriter = std::function<QString(const store::Database& database, int fileNameId,
                                              const docs::DocumentKind& kind,
                                              const docs::RecordOrder& order, const QString& path)>;

struct SavedFileCommand {
    QString name;    // "export"
    QString usage;   // the full --help text
    QString suffix;  // added to an --out path without extension: "xls"
    SavedFileWriter write;
};

// Runs `vlr NAME (--file NAME | --id N) --out PATH [--sort "T4, F1 DESC"]`: finds the saved
// file (the oldest of a name), checks --sort against the kind's fields and hands over to the
// writer. Exit codes: 0 written, 1 the file or the output failed, 2 wrong options.
int runSavedFileCommand(const SavedFileCommand& command, const QStringList& args, CliStreams& io);

}  // namespace vlr::cli
