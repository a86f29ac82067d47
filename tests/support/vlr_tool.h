#pragma once

#include <QString>
#include <QStringList>

namespace vlr::test {

// The `vlr` tool of this build: where ctest says the build is, or beside the tests' folder.
QString vlrToolPath();

struct ToolRun {
    int exitCode = -1;  // -1 when the tool crashed or did not finish in time
    QString out;
    QString err;
};

// Runs the tool as a user does: in the given folder (that of the database).
ToolRun runVlrTool(const QString& workingDirectory, const QStringList& args);

}  // namespace vlr::test
