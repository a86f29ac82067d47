#include "store/driver_rows.h"

#include "store/database.h"

#include <QSqlError>
#include <QSqlRecord>

namespace vlr::store {

DriverRows::DriverRows(const Database& database, const Query& query)
    : database_(database), rows_(database, query.statement()) {
    for (auto value = query.values().cbegin(); value != query.values().cend(); ++value)
        rows_.set(value.key(), value.value());
    rows_.open();
}

int DriverRows::columnIndex(const QString& name) const {
    return rows_.rows().record().indexOf(name);
}

bool DriverRows::next() {
    if (finished_)
        return false;
    texts_.clear();
    QSqlQuery& rows = rows_.rows();
    if (rows.next())
        return true;
    if (rows.lastError().isValid())
        throw database_.failure(rows.lastError());
    finished_ = true;
    return false;
}

bool DriverRows::isNull(int column) const {
    return rows_.rows().isNull(column);
}

double DriverRows::number(int column) const {
    return rows_.rows().value(column).toDouble();
}

int DriverRows::integer(int column) const {
    return rows_.rows().value(column).toInt();
}

QByteArrayView DriverRows::utf8(int column) const {
    if (isNull(column))
        return {};
    if (texts_.empty())
        texts_.resize(size_t(rows_.rows().record().count()));
    QByteArray& text = texts_.at(size_t(column));
    if (text.isNull())
        text = rows_.rows().value(column).toString().toUtf8();
    return text;
}

}  // namespace vlr::store
