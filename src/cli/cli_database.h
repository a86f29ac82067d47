#pragma once

#include "app/database_access.h"
#include "store/database.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vlr::cli {

// Takes "--database URL" (or "--database=URL") out of the tool's arguments, wherever it stands;
// returns false with a message when the option has no value.
bool takeDatabaseOption(QStringList& args, QString* failure);

// Opens the database the commands work on (--database, VLR_DATABASE, the settings' choice, or
// VelaronLink.mdb in the current folder) as the station of this user's settings.
std::optional<app::DatabaseAccessFailure> openToolDatabase(store::Database& database);

// Whether the commands work on a local file that is not there yet.
bool toolDatabaseFileMissing();

}  // namespace vlr::cli
