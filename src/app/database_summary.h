#pragma once

#include "store/database.h"

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
    QString path;
    QVector<InstrumentKind> kinds;
    int receivedRows = 0;  // rows of Data_Comm
    int savedFiles = 0;    // files of the catalog list
};

// Reads the summary of an open database; throws StoreError when a statement fails.
DatabaseSummary summarizeDatabase(const store::Database& database);

}  // namespace vlr::app
