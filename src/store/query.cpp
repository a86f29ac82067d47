#include "store/query.h"

#include "store/database.h"
#include "store/dialect.h"
#include "store/record_row.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QSqlError>

#include <cmath>
#include <limits>

namespace vlr::store {
namespace {

const ParamDecl& findDecl(const Statement& statement, const QString& name) {
    for (const ParamDecl& decl : statement.params) {
        if (decl.name == name)
            return decl;
    }
    throw StoreError(QStringLiteral("%1 has no parameter %2").arg(statement.name, name));
}

QVariant integerInRange(const ParamDecl& decl, const QVariant& value, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (!ok || number < low || number > high)
        throw StoreError(
            QStringLiteral("value %1 does not fit parameter %2").arg(value.toString(), decl.name));
    return number;
}

double finiteNumber(const ParamDecl& decl, const QVariant& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw StoreError(
            QStringLiteral("value %1 is not a number for %2").arg(value.toString(), decl.name));
    return number;
}

// A date-time parameter takes the wall-clock date and time of its value as stored text. A value
// that is no date-time (an invalid QDateTime, a time in no date, malformed text) is refused, so
// a reading can never be stored as null by mistake; a null value stays null on purpose.
QVariant storedDateTime(const ParamDecl& decl, const QVariant& value) {
    QString text;
    switch (value.metaType().id()) {
        case QMetaType::QString:
            if (value.toString().isNull())
                return QVariant();
            if (fromStoredDateTime(value).isValid())
                text = value.toString();
            break;
        case QMetaType::QDate:
            if (value.toDate().isValid())
                text = toStoredDateTime(value.toDate(), QTime(0, 0));
            break;
        case QMetaType::QDateTime: {
            const QDateTime dateTime = value.toDateTime();
            if (dateTime.isValid())
                text = toStoredDateTime(dateTime.date(), dateTime.time());
            break;
        }
        default:
            break;
    }
    if (text.isEmpty())
        throw StoreError(QStringLiteral("value %1 is not a date and time for %2")
                             .arg(value.toString(), decl.name));
    return text;
}

}  // namespace

bool boundAsNull(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull());
}

QVariant toParameterValue(const ParamDecl& decl, const QVariant& value) {
    if (value.isNull())
        return QVariant();
    switch (decl.type) {
        case ParamType::Long:
            return integerInRange(decl, value, -2147483648LL, 2147483647LL);
        case ParamType::Short:
            return integerInRange(decl, value, -32768, 32767);
        case ParamType::Bit:
            return value.toBool() ? 1 : 0;
        case ParamType::IEEESingle: {
            // Beyond the single range the conversion is undefined: refuse it as an overflow.
            const double number = finiteNumber(decl, value);
            if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max()))
                throw StoreError(QStringLiteral("value %1 overflows single-precision parameter %2")
                                     .arg(number)
                                     .arg(decl.name));
            return static_cast<double>(static_cast<float>(number));
        }
        case ParamType::DateTime:
            return storedDateTime(decl, value);
        case ParamType::Text: {
            const QString text = value.toString();
            if (decl.size > 0 && text.size() > decl.size)
                throw StoreError(
                    QStringLiteral("text of %1 characters is longer than %2 allows (%3)")
                        .arg(text.size())
                        .arg(decl.name)
                        .arg(decl.size));
            return text;
        }
    }
    return value;
}

Query::Query(const Database& database, Statement statement)
    : database_(&database),
      text_(engineText(database, statement.text)),
      statement_(std::move(statement)),
      query_(database.connection()) {
    clear();
}

Query& Query::set(const QString& name, const QVariant& value) {
    values_[name] = toParameterValue(findDecl(statement_, name), value);
    return *this;
}

Query& Query::clear() {
    values_.clear();
    for (const ParamDecl& decl : statement_.params) {
        // Empty, not null, when no station is set: a null would match no row.
        const QVariant value =
            decl.name == stationParameterName()
                ? QVariant(database_->station().isNull() ? QString::fromLatin1("", 0)
                                                         : database_->station())
                : decl.defaultValue;
        values_[decl.name] = toParameterValue(decl, value);
    }
    return *this;
}

int Query::exec() {
    run();
    const int affected = query_.numRowsAffected();
    query_.finish();
    return affected;
}

QSqlQuery& Query::open() {
    run();
    return query_;
}

QVariant Query::lastInsertedKey() {
    if (!database_->isServer())
        return insertedKey_;
    // The server's driver knows no inserted key; the identity sequence of this session does.
    QSqlQuery key(database_->connection());
    if (!key.exec(QStringLiteral("SELECT lastval()")) || !key.next())
        return QVariant();
    return key.value(0);
}

void Query::run() {
    query_.finish();
    // Prepared once: a statement run for many rows (a drop, a deletion) is parsed once; again
    // only on a server connection opened anew, which knows nothing of the old one's statements.
    if (database_->reconnectIfLost()) {
        query_ = QSqlQuery(database_->connection());
        prepared_ = false;
    }
    if (!prepared_) {
        // A server's driver reads a forward-only row set one result per row; all rows in one
        // result are several times faster to hand over (a file of 65,535 records).
        query_.setForwardOnly(!database_->isServer());
        if (!query_.prepare(text_))
            throw database_->failure(query_.lastError());
        prepared_ = true;
    }
    for (const ParamDecl& decl : statement_.params) {
        if (text_.contains(QLatin1Char(':') + decl.name))
            query_.bindValue(QLatin1Char(':') + decl.name, values_.value(decl.name));
    }
    if (!query_.exec())
        throw database_->failure(query_.lastError());
    // Read while the statement is active: finishing it forgets the key.
    if (!database_->isServer())
        insertedKey_ = query_.lastInsertId();
}

}  // namespace vlr::store
