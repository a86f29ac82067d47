#include "app/database_choice.h"

#include "app/database_access.h"

namespace vlr::app {
namespace {

const QString kDatabase = QStringLiteral("Database");

}  // namespace

store::DatabaseLocation chooseDatabase(const QString& option, const QString& stored,
                                       const QString& startDir) {
    for (const QString& choice : {option, qEnvironmentVariable("VLR_DATABASE"), stored}) {
        if (!choice.trimmed().isEmpty())
            return store::parseDatabaseLocation(choice);
    }
    return store::DatabaseLocation::file(databasePathIn(startDir));
}

QString storedDatabaseChoice(SettingsStore& store) {
    return store.ReadStringSetting(kDatabase, QString());
}

void storeDatabaseChoice(SettingsStore& store, const QString& url) {
    store.WriteStringSetting(kDatabase, url.trimmed());
    store.sync();
}

}  // namespace vlr::app
