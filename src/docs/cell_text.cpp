#include "docs/cell_text.h"

#include "xls/user_date_time.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace vlr::docs {
namespace {

int decimalsOf(DisplayFormat format) {
    return format == DisplayFormat::OneDecimal ? 1 : 2;
}

// Rounded to the format's decimals half away from zero, from the shortest decimal form of the
// value: 2.675 gives 2.68 as it reads, although its binary value lies just below. A value that
// rounds to zero loses its minus sign.
QString fixedText(double value, DisplayFormat format, QChar separator) {
    const int decimals = decimalsOf(format);
    QString digits = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    int point = digits.indexOf(QLatin1Char('.'));
    if (point < 0) {
        point = digits.size();
        digits += QLatin1Char('.');
    }
    digits += QString(decimals, QLatin1Char('0'));
    const bool roundUp =
        digits.size() > point + 1 + decimals && digits.at(point + 1 + decimals) >= QLatin1Char('5');
    digits.truncate(point + 1 + decimals);
    for (int i = digits.size() - 1; roundUp && i >= -1; --i) {
        if (i < 0) {
            digits.prepend(QLatin1Char('1'));
            break;
        }
        if (digits.at(i) == QLatin1Char('.'))
            continue;
        if (digits.at(i) != QLatin1Char('9')) {
            digits[i] = QChar(digits.at(i).unicode() + 1);
            break;
        }
        digits[i] = QLatin1Char('0');
    }
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c == QLatin1Char('0') || c == QLatin1Char('.');
    });
    if (value < 0 && !zero)
        digits.prepend(QLatin1Char('-'));
    digits.replace(QLatin1Char('.'), separator);
    return digits;
}

QLocale userLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
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
        return xls::userDateTimeText(dateTime.date(), dateTime.time());
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
    return fixedText(number, format, QLocale().decimalPoint().at(0));
}

}  // namespace vlr::docs
