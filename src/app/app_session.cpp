#include "app/app_session.h"

namespace vlr::app {

AppSession::AppSession(SettingsStore& store) : store_(store) {}

std::optional<DatabaseAccessFailure> AppSession::start(const QString& workingDirectory) {
    settings_ = readSettings(store_, workingDirectory);
    std::optional<DatabaseAccessFailure> failure =
        openProgramDatabase(database_, settings_.StartDir);
    if (failure)
        return failure;
    started_ = true;
    removeTemporaryRows(database_);
    removeLeftoverCompactionFiles(settings_.StartDir);
    return std::nullopt;
}

CloseReport AppSession::close() {
    CloseReport report;
    if (!started_)
        return report;
    started_ = false;
    report.performed = true;
    removeTemporaryRows(database_);
    database_.close();
    // The folder remembered at start, whatever the working directory has become since.
    report.compaction = CompactDatabaseFile(databasePath(), QString(), QString());
    report.settingsWritten = writePortSettings(store_, settings_.Ports, &report.settingsFailure);
    return report;
}

}  // namespace vlr::app
