#include "support/other_connection.h"

#include <QAtomicInteger>

namespace vlr::test {

OtherConnection::OtherConnection(const QString& path) {
    static QAtomicInteger<int> counter;
    name_ = QStringLiteral("other-connection-%1").arg(counter.fetchAndAddRelaxed(1));
    database_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    database_.setDatabaseName(path);
    database_.open();
}

OtherConnection::~OtherConnection() {
    database_.close();
    database_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

}  // namespace vlr::test
