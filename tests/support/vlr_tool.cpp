#include "support/vlr_tool.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace vlr::test {

QString vlrToolPath() {
    const QByteArray binaryDir = qgetenv("VLR_BINARY_DIR");
    const QString root = binaryDir.isEmpty()
                             ? QCoreApplication::applicationDirPath() + QStringLiteral("/..")
                             : QString::fromLocal8Bit(binaryDir);
    return QDir(root).filePath(QStringLiteral("src/vlr"));
}

ToolRun runVlrTool(const QString& workingDirectory, const QStringList& args) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(vlrToolPath(), args);
    ToolRun run;
    // Generous: a large export under the sanitizers takes a while on a busy machine.
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace vlr::test
