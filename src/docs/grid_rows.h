#pragma once

#include "store/statement.h"

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// Records as a grid holds them: the asked fields of every row, in the row set's order.
// Integers (DataId, FileNameId, N) as int, DateTime as a wall-clock QDateTime, F1..F10 as
// double, B1..B10 as bool, texts as QString, null as a null QVariant.
struct GridRows {
    QStringList fields;
    std::vector<QVariantList> rows;
};

// Reads the rows of a row set over Data or Data_Comm (a file's search statement, the receive
// view's), its parameters set by name, selecting only the asked fields, straight from SQLite.
// Throws StoreError when they cannot be read, or when a field is not a column of the row set.
GridRows readGridRows(const store::Database& database, const store::Statement& rowSet,
                      const QVariantMap& parameters, const QStringList& fields);

}  // namespace vlr::docs
