#include "store/row_cursor.h"

#include "store/database.h"
#include "store/driver_rows.h"
#include "store/server_rows.h"
#include "store/sqlite_library.h"
#include "store/sqlite_rows.h"

namespace vlr::store {

RowCursor::RowCursor(const Database& database, const Query& query)
    : RowCursor(database, query, Reading::Direct) {}

RowCursor::RowCursor(const Database& database, const Query& query, Reading reading) {
    if (database.isServer()) {
        rows_ = std::make_unique<ServerRows>(database, query.statement(), query.textForEngine(),
                                             query.values());
    } else if (reading == Reading::ThroughDriver || !driverSharesSqliteLibrary()) {
        // SQLite's own interface exists only on a local file whose library the program shares.
        rows_ = std::make_unique<DriverRows>(database, query);
        reading_ = Reading::ThroughDriver;
    } else {
        rows_ = std::make_unique<SqliteRows>(database, query);
    }
}

RowCursor::~RowCursor() = default;

}  // namespace vlr::store
