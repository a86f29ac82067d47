#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace vlr::test {

// A connection of its own to a database file, as another program in this process would hold
// it; removed again when the object goes. Queries made from it must go first.
class OtherConnection {
public:
    explicit OtherConnection(const QString& path);
    ~OtherConnection();
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    bool isOpen() const { return database_.isOpen(); }
    QSqlQuery query() const { return QSqlQuery(database_); }

private:
    QString name_;
    QSqlDatabase database_;
};

}  // namespace vlr::test
