#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace vlr::store {

struct DatabaseLocation;

// The statements that create the tables of an empty server database, in order, with the same
// tables, columns, keys and instrument kinds as a new local file in PostgreSQL's own types:
// identity keys, integer/smallint, double precision (Data, rounded to 5 decimals by a trigger),
// real (the singles of Data_Comm), varchar(n), timestamp without time zone, 0/1 flags.
QStringList serverSchemaStatements();

// Makes the server database of an open connection ready: an empty one gets the schema (one
// station at a time), one made by an earlier version gains the columns added since, and then it
// is checked as a local file is. Throws StoreError with the reason; a database of another
// program is refused before anything in it is changed.
void prepareServerDatabase(const QSqlDatabase& connection, const DatabaseLocation& location);

}  // namespace vlr::store
