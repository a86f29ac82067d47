#pragma once

#include "store/database.h"

#include <QString>

#include <optional>

namespace vlr::app {

// The text the user is shown when the database cannot be used at start.
inline QString databaseAccessText() {
    return QStringLiteral("Не могу получить доступ к БД!");
}

// The database could not be opened: the user's text and the engine's reason.
struct DatabaseAccessFailure {
    QString userText;
    QString reason;
};

// The database file of a run started in startDir.
QString databasePathIn(const QString& startDir);

// Opens (creating when missing) the database of startDir. A file that exists but cannot be used
// is a failure to report, never a silent success with every later statement failing.
std::optional<DatabaseAccessFailure> openProgramDatabase(store::Database& database,
                                                         const QString& startDir);
// Opens the chosen database (a file as above, or a server's database, whose schema is made when
// it is empty); a failure to report as above.
std::optional<DatabaseAccessFailure> openProgramDatabase(store::Database& database,
                                                         const store::DatabaseLocation& location);

// Removes the station's received rows, then the records of its files never saved, then those
// files' catalog rows, in this order, each statement on its own; a failing one is skipped without
// a word. Other stations' rows stay.
void removeTemporaryRows(const store::Database& database);

}  // namespace vlr::app
