#pragma once

#include "app/settings_store.h"
#include "store/database_location.h"

#include <QString>

namespace vlr::app {

// The database a run works on: the --database option, else the environment variable
// VLR_DATABASE, else the choice stored in the settings ("Database", set in the desktop
// program's dialog), else VelaronLink.mdb in startDir. A malformed choice throws StoreError.
store::DatabaseLocation chooseDatabase(const QString& option, const QString& stored,
                                       const QString& startDir);

// The stored choice: a server URL, or empty for the local file.
QString storedDatabaseChoice(SettingsStore& store);
void storeDatabaseChoice(SettingsStore& store, const QString& url);

}  // namespace vlr::app
