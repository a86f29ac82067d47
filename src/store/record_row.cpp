#include "store/record_row.h"

namespace vlr::store {
namespace {
const QString kStoredFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QStringList recordRowCopiedFields() {
    QStringList fields{QStringLiteral("N"), QStringLiteral("DateTime")};
    for (const char* group : {"F", "T", "B"}) {
        for (int i = 1; i <= 10; ++i)
            fields << QString::fromLatin1(group) + QString::number(i);
    }
    return fields;
}

QStringList dataColumnNames() {
    QStringList columns{QStringLiteral("DataId"), QStringLiteral("FileNameId")};
    columns << recordRowCopiedFields() << QStringLiteral("Comment") << QStringLiteral("Printable");
    return columns;
}

QString toStoredDateTime(const QDateTime& value) {
    return toStoredDateTime(value.date(), value.time());
}

QString toStoredDateTime(const QDate& date, const QTime& time) {
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
           time.toString(QStringLiteral("HH:mm:ss"));
}

QDateTime fromStoredDateTime(const QVariant& stored) {
    // A server's timestamp arrives as a date-time already.
    if (stored.typeId() == QMetaType::QDateTime) {
        const QDateTime reading = stored.toDateTime();
        return reading.isValid() ? QDateTime(reading.date(), reading.time(), Qt::UTC) : QDateTime();
    }
    const QString text = stored.toString();
    if (stored.isNull() || text.size() != kStoredFormat.size() || text.at(10) != QLatin1Char(' '))
        return QDateTime();
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    // UTC has no clock changes: read as local time, an hour that a spring-forward skips would
    // be lost, yet the instrument's clock recorded it.
    return QDateTime(date, time, Qt::UTC);
}

}  // namespace vlr::store
