#include "xls/user_date_time.h"

#include <QLocale>

namespace vlr::xls {
namespace {

void appendDigits(QString& text, int value, int width) {
    QChar digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
    text.append(digits, width);
}

// "dd.MM.yyyy H:mm:ss", written digit by digit: an export formats one per record.
QString russianDateTimeText(const QDate& date, const QTime& time) {
    QString text;
    text.reserve(19);
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);  // one calendar computation instead of three
    appendDigits(text, day, 2);
    text.append(u'.');
    appendDigits(text, month, 2);
    text.append(u'.');
    appendDigits(text, year, 4);
    if (time.msecsSinceStartOfDay() != 0) {
        text.append(u' ');
        appendDigits(text, time.hour(), time.hour() < 10 ? 1 : 2);
        text.append(u':');
        appendDigits(text, time.minute(), 2);
        text.append(u':');
        appendDigits(text, time.second(), 2);
    }
    return text;
}

// The format with every year field widened to four digits; quoted literals are left alone.
QString withFourDigitYear(const QString& format) {
    QString result;
    result.reserve(format.size() + 2);
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('y')) {
            result.append(c);
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('y'))
            ++i;
        result.append(QLatin1String("yyyy"));
    }
    return result;
}

}  // namespace

QString userDateTimeText(const QDateTime& value) {
    return userDateTimeText(value.date(), value.time());
}

QString userDateTimeText(const QDate& date, const QTime& time) {
    const QLocale locale;
    if (locale.language() == QLocale::Russian && date.year() >= 1 && date.year() <= 9999) {
        // The Russian system settings write the hour without a leading zero.
        return russianDateTimeText(date, time);
    }
    QString text =
        locale.toString(date, withFourDigitYear(locale.dateFormat(QLocale::ShortFormat)));
    if (time.msecsSinceStartOfDay() != 0) {
        const QString timeFormat =
            locale.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed();
        text += QLatin1Char(' ') + locale.toString(time, timeFormat);
    }
    return text;
}

}  // namespace vlr::xls
