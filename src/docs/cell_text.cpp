#include "docs/cell_text.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace vlr::docs {
namespace {

int decimalsOf(DisplayFormat format) {
    return format == DisplayFormat::OneDecimal ? 1 : 2;
}

// Rounded to the format's decimals; a value that rounds to zero loses its minus sign.
QString fixedText(double value, DisplayFormat format, QChar separator) {
    QString text = QString::number(value, 'f', decimalsOf(format));
    if (text.startsWith(QLatin1Char('-')) &&
        text.count(QRegularExpression(QStringLiteral("[1-9]"))) == 0)
        text.remove(0, 1);
    if (separator != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

QLocale userLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// The user's short date and long time formats; a two-digit year in the short format would lose
// the century, so the year is always written with four. The time zone is not written: the
// readings are wall-clock times.
QString userDateTimeText(const QDate& date, const QTime& time) {
    const QLocale locale;
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    const QString dateFormat =
        locale.dateFormat(QLocale::ShortFormat).replace(shortYear, QStringLiteral("yyyy"));
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return locale.toString(date, dateFormat) + QLatin1Char(' ') + locale.toString(time, timeFormat);
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
    }
}

// A number as text the way the user reads it: integers as they are, others in the shortest
// general form that reads back as the same double.
QString generalText(const QVariant& value) {
    const QLocale locale = userLocale();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return locale.toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return locale.toString(value.toLongLong());
}

QString ownText(const QVariant& value) {
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dateTime = value.toDateTime();
        return userDateTimeText(dateTime.date(), dateTime.time());
    }
    if (isNumber(value))
        return generalText(value);
    return value.toString();
}

// A text with a decimal comma or point as a number: instruments' texts are written with the
// user's separator, which is one of the two.
bool readNumber(const QString& text, double* number) {
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    *number = QLocale::c().toDouble(plain, &ok);
    return ok && std::isfinite(*number);
}

}  // namespace

QString gridText(const QVariant& value, DisplayFormat format) {
    if (format != DisplayFormat::None && isNumber(value) && !value.isNull())
        return fixedText(value.toDouble(), format, QLocale().decimalPoint().at(0));
    return ownText(value);
}

QString reportText(const QVariant& value, DisplayFormat format) {
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return QString();
    if (format == DisplayFormat::None)
        return ownText(value);
    double number = 0;
    if (isNumber(value))
        number = value.toDouble();
    else if (value.typeId() != QMetaType::QString || !readNumber(value.toString(), &number))
        return ownText(value);
    return fixedText(number, format, QLatin1Char(','));
}

}  // namespace vlr::docs
