#include "cli/cli_database.h"

#include "app/database_choice.h"
#include "app/settings_store.h"
#include "app/station.h"
#include "store/store_error.h"

#include <QDir>
#include <QFileInfo>

namespace vlr::cli {
namespace {

QString& databaseOption() {
    static QString option;
    return option;
}

const QString kOption = QStringLiteral("--database");

store::DatabaseLocation toolLocation(app::SettingsStore& settings) {
    return app::chooseDatabase(databaseOption(), app::storedDatabaseChoice(settings),
                               QDir::currentPath());
}

}  // namespace

bool takeDatabaseOption(QStringList& args, QString* failure) {
    for (int i = 0; i < args.size(); ++i) {
        if (args[i].startsWith(kOption + QLatin1Char('='))) {
            databaseOption() = args.takeAt(i).mid(kOption.size() + 1);
            return true;
        }
        if (args[i] == kOption) {
            if (i + 1 >= args.size()) {
                *failure = QStringLiteral("--database needs a database URL or file");
                return false;
            }
            databaseOption() = args[i + 1];
            args.erase(args.begin() + i, args.begin() + i + 2);
            return true;
        }
    }
    return true;
}

std::optional<app::DatabaseAccessFailure> openToolDatabase(store::Database& database) {
    const std::unique_ptr<app::SettingsStore> settings = app::SettingsStore::forCurrentUser();
    try {
        if (auto failure = app::openProgramDatabase(database, toolLocation(*settings)))
            return failure;
    } catch (const store::StoreError& error) {
        return app::DatabaseAccessFailure{app::databaseAccessText(), error.message()};
    }
    database.setStation(app::stationIdentity(*settings));
    return std::nullopt;
}

bool toolDatabaseFileMissing() {
    const std::unique_ptr<app::SettingsStore> settings = app::SettingsStore::forCurrentUser();
    try {
        const store::DatabaseLocation location = toolLocation(*settings);
        return !location.isServer() && !QFileInfo::exists(location.filePath);
    } catch (const store::StoreError&) {
        return false;
    }
}

}  // namespace vlr::cli
