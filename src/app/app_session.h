#pragma once

#include "app/compaction.h"
#include "app/database_access.h"
#include "app/settings.h"
#include "app/settings_store.h"
#include "app/station.h"
#include "store/database.h"

#include <memory>
#include <optional>

namespace vlr::app {

// What a regular close could not do; the main window shows the compaction's message.
struct CloseReport {
    bool performed = false;  // false after a start that could not open the database
    CompactionOutcome compaction;
    bool settingsWritten = false;
    QString settingsFailure;
};

// The run's settings and database from start to a regular close. The main window creates one,
// calls start() while it is built and close() when the user closes it; nothing here shows a
// window.
class AppSession {
public:
    explicit AppSession(SettingsStore& store);

    // Reads the settings (writing missing values with their defaults), takes the station (a
    // second program on the same settings is refused), opens or creates the chosen database
    // (databaseOption, else VLR_DATABASE, else the settings' choice, else the file in the working
    // directory) and removes what this station's previous run left behind (its temporary rows,
    // and on a local file the temporary file of a compaction a crash cut short). A database that
    // cannot be used is returned: the caller tells the user and quits, and then neither cleans
    // up nor compacts nor writes the settings back.
    std::optional<DatabaseAccessFailure> start(const QString& workingDirectory,
                                               const QString& databaseOption = QString());

    // The regular close: removes the station's temporary rows, closes the connection, compacts
    // a local database file in place (a server maintains itself) and writes the two port
    // settings back. Does nothing after a start that could not open the database.
    CloseReport close();

    Settings& settings() { return settings_; }
    const store::Database& database() const { return database_; }
    QString databasePath() const { return databasePathIn(settings_.StartDir); }
    const QString& station() const { return station_; }
    SettingsStore& settingsStore() { return store_; }

private:
    SettingsStore& store_;
    QString station_;
    std::unique_ptr<StationLock> stationLock_;
    Settings settings_;
    store::Database database_;
    bool started_ = false;
};

}  // namespace vlr::app
