#pragma once

#include "store/query.h"
#include "store/row_source.h"

#include <QByteArray>

#include <vector>

namespace vlr::store {

class Database;

// The rows of a statement on a local file read through Qt's driver: for a driver that runs on a
// SQLite library of its own, whose statements the program cannot reach. The same values as
// SqliteRows gives, a QVariant at a time.
class DriverRows : public RowSource {
public:
    DriverRows(const Database& database, const Query& query);

    int columnIndex(const QString& name) const override;
    bool next() override;

    bool isNull(int column) const override;
    double number(int column) const override;
    int integer(int column) const override;
    QByteArrayView utf8(int column) const override;

private:
    const Database& database_;
    mutable Query rows_;  // Query hands its QSqlQuery out only for change
    bool finished_ = false;
    mutable std::vector<QByteArray> texts_;  // this row's texts, as read through the driver
};

}  // namespace vlr::store
