#include "app/database_summary.h"

#include "store/query.h"
#include "store/server_connection.h"
#include "store/statements.h"

namespace vlr::app {
namespace {

const store::Statement& instrumentKinds() {
    static const store::Statement s{
        QStringLiteral("InstrumentKinds"),
        {},
        QStringLiteral("select *\nfrom DeviceList\norder by DeviceListId;"),
        true};
    return s;
}

const store::Statement& receivedRowCount() {
    static const store::Statement s{QStringLiteral("ReceivedRowCount"),
                                    {},
                                    QStringLiteral("select count(*)\nfrom Data_Comm;"),
                                    true};
    return s;
}

// Received rows, then saved files, of each station.
const store::Statement& stationCounts() {
    static const store::Statement s{
        QStringLiteral("StationCounts"),
        {},
        QStringLiteral("select coalesce(Station, '') as Station, 1 as Received, 0 as Saved\n"
                       "from Data_Comm\n"
                       "union all\n"
                       "select coalesce(Station, ''), 0, 1\nfrom [Catalog]\nwhere FileSaved=1;"),
        true};
    return s;
}

}  // namespace

DatabaseSummary summarizeDatabase(const store::Database& database) {
    DatabaseSummary summary;
    summary.path = database.isServer() ? database.location().description() : database.path();
    if (database.isServer())
        summary.serverVersion = store::serverVersion(database.connection());

    store::Query kinds(database, instrumentKinds());
    QSqlQuery& kindRows = kinds.open();
    while (kindRows.next()) {
        summary.kinds.append({kindRows.value(QStringLiteral("DeviceListId")).toInt(),
                              kindRows.value(QStringLiteral("DeviceName")).toString(),
                              kindRows.value(QStringLiteral("DeviceNumArc")).toInt(),
                              kindRows.value(QStringLiteral("DeviceVersion")).toString(),
                              kindRows.value(QStringLiteral("DeviceType")).toInt(),
                              kindRows.value(QStringLiteral("DeviceSubType")).toInt()});
    }

    store::Query received(database, receivedRowCount());
    QSqlQuery& countRow = received.open();
    summary.receivedRows = countRow.next() ? countRow.value(0).toInt() : 0;

    // Saved files are exactly what the catalog list shows.
    store::Query catalog(database, store::ADOQuery_CatalogSearch());
    QSqlQuery& files = catalog.open();
    while (files.next())
        ++summary.savedFiles;

    store::Query stations(database, stationCounts());
    QSqlQuery& stationRows = stations.open();
    while (stationRows.next()) {
        QPair<int, int>& counts = summary.perStation[stationRows.value(0).toString()];
        counts.first += stationRows.value(1).toInt();
        counts.second += stationRows.value(2).toInt();
    }
    return summary;
}

}  // namespace vlr::app
