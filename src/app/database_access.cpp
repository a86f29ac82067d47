#include "app/database_access.h"

#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QDir>

namespace vlr::app {

QString databasePathIn(const QString& startDir) {
    return QDir(startDir).filePath(store::Database::fileName());
}

std::optional<DatabaseAccessFailure> openProgramDatabase(store::Database& database,
                                                         const QString& startDir) {
    return openProgramDatabase(database, store::DatabaseLocation::file(databasePathIn(startDir)));
}

std::optional<DatabaseAccessFailure> openProgramDatabase(store::Database& database,
                                                         const store::DatabaseLocation& location) {
    try {
        database.open(location);
        return std::nullopt;
    } catch (const store::StoreError& error) {
        return DatabaseAccessFailure{databaseAccessText(), error.message()};
    }
}

void removeTemporaryRows(const store::Database& database) {
    for (const store::Statement* statement :
         {&store::ADOQuery_CommDeleteAll(), &store::ADOQuery_TempDeleteData(),
          &store::ADOQuery_TempDelete()}) {
        try {
            store::Query(database, *statement).exec();
        } catch (const store::StoreError&) {
            // Clean-up is best effort: what stays is removed at the next start or close.
        }
    }
}

}  // namespace vlr::app
