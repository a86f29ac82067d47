#include "store/database_location.h"

#include "store/store_error.h"

#include <QStringList>

#include <libpq-fe.h>

#include <algorithm>
#include <memory>

namespace vlr::store {
namespace {

bool isServerUrl(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

QString badUrl(const QString& url, const QString& reason) {
    return QStringLiteral("Неверный адрес базы данных \"%1\": %2").arg(url, reason);
}

int portNumber(const QString& url, const QString& value) {
    bool ok = false;
    const int port = value.toInt(&ok);
    if (!ok || port <= 0 || port > 65535)
        throw StoreError(badUrl(url, QStringLiteral("неверный номер порта \"%1\"").arg(value)));
    return port;
}

}  // namespace

QString DatabaseLocation::description() const {
    if (!isServer())
        return filePath;
    const QString server = host.isEmpty() ? QStringLiteral("localhost") : host;
    return QStringLiteral("%1 на сервере %2%3")
        .arg(databaseName, server, port > 0 ? QStringLiteral(":%1").arg(port) : QString());
}

DatabaseLocation DatabaseLocation::file(const QString& path) {
    DatabaseLocation location;
    location.filePath = path;
    return location;
}

DatabaseLocation parseDatabaseLocation(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!isServerUrl(trimmed))
        return DatabaseLocation::file(trimmed);
    char* error = nullptr;
    const QByteArray utf8 = trimmed.toUtf8();
    const std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption*)> options(
        PQconninfoParse(utf8.constData(), &error), PQconninfoFree);
    if (!options) {
        const QString reason =
            error ? QString::fromUtf8(error).trimmed() : QStringLiteral("не хватает памяти");
        PQfreemem(error);
        throw StoreError(badUrl(trimmed, reason));
    }
    DatabaseLocation location;
    location.url = trimmed;
    QStringList others;
    for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (!option->val)
            continue;
        const QString keyword = QString::fromUtf8(option->keyword);
        const QString value = QString::fromUtf8(option->val);
        if (keyword == QLatin1String("password"))
            throw StoreError(badUrl(trimmed, QStringLiteral("пароль в адресе не хранится; "
                                                            "укажите его в ~/.pgpass или "
                                                            "PGPASSWORD")));
        if (keyword == QLatin1String("host"))
            location.host = value;
        else if (keyword == QLatin1String("port"))
            location.port = portNumber(trimmed, value);
        else if (keyword == QLatin1String("user"))
            location.user = value;
        else if (keyword == QLatin1String("dbname"))
            location.databaseName = value;
        else if (value.contains(QLatin1Char(';')))
            // The driver splits its options at semicolons; such a value cannot pass intact.
            throw StoreError(
                badUrl(trimmed, QStringLiteral("недопустимый параметр %1").arg(keyword)));
        else
            others << keyword + QLatin1Char('=') + value;
    }
    if (location.databaseName.isEmpty())
        throw StoreError(badUrl(trimmed, QStringLiteral("не указано имя базы данных")));
    // An unknown or silent host fails after a while instead of holding the program forever.
    if (std::none_of(others.cbegin(), others.cend(), [](const QString& option) {
            return option.startsWith(QLatin1String("connect_timeout="));
        }))
        others << QStringLiteral("connect_timeout=10");
    location.connectOptions = others.join(QLatin1Char(';'));
    return location;
}

}  // namespace vlr::store
