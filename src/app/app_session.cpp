#include "app/app_session.h"

#include "app/database_choice.h"
#include "store/store_error.h"

namespace vlr::app {

AppSession::AppSession(SettingsStore& store) : store_(store) {}

std::optional<DatabaseAccessFailure> AppSession::start(const QString& workingDirectory,
                                                       const QString& databaseOption) {
    settings_ = readSettings(store_, workingDirectory);
    station_ = stationIdentity(store_);
    stationLock_ = std::make_unique<StationLock>(store_);
    if (!stationLock_->acquire(station_))
        return DatabaseAccessFailure{databaseAccessText(), stationLock_->failureText()};
    std::optional<DatabaseAccessFailure> failure;
    try {
        failure = openProgramDatabase(
            database_,
            chooseDatabase(databaseOption, storedDatabaseChoice(store_), settings_.StartDir));
    } catch (const store::StoreError& error) {
        failure = DatabaseAccessFailure{databaseAccessText(), error.message()};
    }
    if (failure) {
        stationLock_.reset();
        return failure;
    }
    database_.setStation(station_);
    started_ = true;
    removeTemporaryRows(database_);
    if (!database_.isServer())
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
    const bool localFile = !database_.isServer();
    database_.close();
    // The folder remembered at start, whatever the working directory has become since.
    report.compaction = localFile ? CompactDatabaseFile(databasePath(), QString(), QString())
                                  : CompactionOutcome{true, QString()};
    report.settingsWritten = writePortSettings(store_, settings_.Ports, &report.settingsFailure);
    stationLock_.reset();
    return report;
}

}  // namespace vlr::app
