#pragma once

#include <QStringList>
#include <QVariantList>

#include <vector>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// Rows as a grid holds them: the asked fields of every row, in the row set's order.
struct GridRows {
    QStringList fields;
    std::vector<QVariantList> rows;
};

// The received rows of one kind and archive in the receive view's order (ADOQuery_CommSearch),
// only the asked fields, each read by the rules of FieldReader, the singles as the decimals
// they stand for. Throws StoreError when they cannot be read, or when a field is not a column
// of the rows.
GridRows readReceivedRows(const store::Database& database, int deviceListId, int archive,
                          const QStringList& fields);

}  // namespace vlr::docs
