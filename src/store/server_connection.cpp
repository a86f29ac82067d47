#include "store/server_connection.h"

#include "store/store_error.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QTimeZone>

#include <libpq-fe.h>

#include <memory>

namespace vlr::store {

PGconn* serverHandle(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    // PGconn is a typedef of struct pg_conn; the driver registers the pointer under either name.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

namespace {

QString trimmedMessage(const char* message) {
    return QString::fromUtf8(message).trimmed();
}

// Why a connection cannot be made, in libpq's words: Qt's driver gives no text for it.
QString connectFailure(const DatabaseLocation& location) {
    const std::unique_ptr<PGconn, void (*)(PGconn*)> probe(
        PQconnectdb(location.url.toUtf8().constData()), PQfinish);
    if (!probe)
        return QStringLiteral("не хватает памяти");
    const QString message = trimmedMessage(PQerrorMessage(probe.get()));
    return message.isEmpty() ? QStringLiteral("сервер не принял подключение") : message;
}

StoreError unreachable(const DatabaseLocation& location, const QString& reason) {
    return StoreError(
        QStringLiteral("Нет связи с базой %1: %2").arg(location.description(), reason),
        StoreError::Cause::ConnectionLost);
}

// Every connection reads and writes alike whatever the server's defaults: numbers in their
// shortest exact text, wall-clock readings unshifted by the server's zone (the catalog's creation
// time is this computer's local time), notices of existing schema parts kept quiet.
void setUpSession(const QSqlDatabase& connection) {
    QSqlQuery query(connection);
    for (const char* statement :
         {"SET extra_float_digits = 1", "SET datestyle = ISO", "SET client_min_messages = warning"})
        query.exec(QString::fromLatin1(statement));
    query.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
    query.addBindValue(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    // A zone the server does not know leaves its own; the session then goes on.
    if (!query.exec())
        query.exec(QStringLiteral("SELECT 1"));
}

}  // namespace

void openServerConnection(const QString& name, const DatabaseLocation& location) {
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            failure = QStringLiteral("нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)");
        } else {
            db.setHostName(location.host);
            db.setPort(location.port);
            db.setUserName(location.user);
            db.setDatabaseName(location.databaseName);
            db.setConnectOptions(location.connectOptions);
            if (db.open()) {
                setUpSession(db);
                return;
            }
            failure = connectFailure(location);
        }
    }
    QSqlDatabase::removeDatabase(name);
    throw unreachable(location, failure);
}

bool reconnectIfLost(QSqlDatabase connection, const DatabaseLocation& location) {
    PGconn* handle = serverHandle(connection);
    if (handle && PQstatus(handle) == CONNECTION_OK)
        return false;
    connection.close();
    if (!connection.open())
        throw unreachable(location, connectFailure(location));
    setUpSession(connection);
    return true;
}

StoreError serverFailure(const QSqlDatabase& connection, const DatabaseLocation& location) {
    PGconn* handle = serverHandle(connection);
    QString message = handle ? trimmedMessage(PQerrorMessage(handle)) : QString();
    if (message.isEmpty())
        message = QStringLiteral("сервер не ответил");
    // libpq may learn only at the next exchange that the server is gone: an empty statement
    // asks it (and is accepted even in a failed transaction).
    if (handle && PQstatus(handle) == CONNECTION_OK)
        PQclear(PQexec(handle, ""));
    if (!handle || PQstatus(handle) != CONNECTION_OK)
        return unreachable(location, message);
    return StoreError(message);
}

bool serverTransactionIntact(const QSqlDatabase& connection) {
    PGconn* handle = serverHandle(connection);
    return handle && PQtransactionStatus(handle) == PQTRANS_INTRANS;
}

bool serverTransactionOpen(const QSqlDatabase& connection) {
    PGconn* handle = serverHandle(connection);
    if (!handle)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(handle);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

QString serverVersion(const QSqlDatabase& connection) {
    PGconn* handle = serverHandle(connection);
    if (!handle)
        return QString();
    const int version = PQserverVersion(handle);
    return QStringLiteral("PostgreSQL %1.%2").arg(version / 10000).arg(version % 10000);
}

}  // namespace vlr::store
