#pragma once

#include "store/database.h"

#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

namespace vlr::app {

// One row of DeviceList.
struct InstrumentKind {
    int id = 0;
    QString name;
    int archives = 0;
    QString version;  // as stored: "YYYY-MM-DD HH:MM:SS"
    int type = 0;
    int subType = 0;
};

// What a database holds, in brief.
struct DatabaseSummary {
    QString path;           // the file, or the database and its server
    QString serverVersion;  // empty for a file
    // Received rows and saved files of each station, by station ("" for rows older than
    // stations).
    QMap<QString, QPair<int, int>> perStation;
    QVector<InstrumentKind> kinds;
    int receivedRows = 0;  // rows of Data_Comm
    int savedFiles = 0;    // files of the catalog list
};

// Reads the summary of an open database; throws StoreError when a statement fails.
DatabaseSummary summarizeDatabase(const store::Database& database);

}  // namespace vlr::app
