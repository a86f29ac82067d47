#pragma once

#include <QStringList>

namespace vlr::store {

// The statements that create the four tables of a new database file, in order, and fill
// DeviceList with the instrument kinds. The column types keep the values the way the program
// shows, prints and exports them: Bit as 0/1, DateTime as "YYYY-MM-DD HH:MM:SS" local text,
// Text(n) limited to n characters, Data.F1..F10 rounded to 5 decimals.
QStringList schemaStatements();

// Statements run at every open that bring a file made by an earlier version up to date (the
// indexes added since); each does nothing when its part is already there.
QStringList schemaUpgradeStatements();

// Tables a usable database must hold.
QStringList requiredTables();

}  // namespace vlr::store
