#include "xls/xls_workbook.h"

#include <QLocale>

namespace vlr::xls {

namespace {

constexpr std::int64_t kMsecsPerDay = 86400000;

bool isNumberType(TvteXLSValueType type) {
    switch (type) {
        case TvteXLSValueType::Int16:
        case TvteXLSValueType::Int32:
        case TvteXLSValueType::Single:
        case TvteXLSValueType::Double:
        case TvteXLSValueType::Byte:
            return true;
        default:
            return false;
    }
}

std::int64_t localMsecsOf(const QDate& date, const QTime& time) {
    return date.toJulianDay() * kMsecsPerDay + (time.isValid() ? time.msecsSinceStartOfDay() : 0);
}

std::int64_t dayOf(std::int64_t localMsecs) {
    return localMsecs >= 0 ? localMsecs / kMsecsPerDay
                           : (localMsecs - kMsecsPerDay + 1) / kMsecsPerDay;
}

QDate dateOf(std::int64_t localMsecs) {
    return QDate::fromJulianDay(dayOf(localMsecs));
}

QTime timeOf(std::int64_t localMsecs) {
    return QTime::fromMSecsSinceStartOfDay(
        static_cast<int>(localMsecs - dayOf(localMsecs) * kMsecsPerDay));
}

}  // namespace

QString dateTimeText(const QDateTime& value) {
    return dateTimeText(value.date(), value.time());
}

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
    appendDigits(text, date.day(), 2);
    text.append(u'.');
    appendDigits(text, date.month(), 2);
    text.append(u'.');
    appendDigits(text, date.year(), 4);
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

}  // namespace

QString dateTimeText(const QDate& date, const QTime& time) {
    const QLocale locale;
    if (locale.language() == QLocale::Russian && date.year() >= 1 && date.year() <= 9999) {
        // The Russian system settings write the hour without a leading zero.
        return russianDateTimeText(date, time);
    }
    QString text = locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
    if (time.msecsSinceStartOfDay() != 0) {
        const QString timeFormat =
            locale.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed();
        text += QLatin1Char(' ') + locale.toString(time, timeFormat);
    }
    return text;
}

std::int32_t TvteXLSRange::Left() const {
    return sheet_->data(slot_).left;
}
std::int32_t TvteXLSRange::Top() const {
    return sheet_->data(slot_).top;
}
std::int32_t TvteXLSRange::Right() const {
    return sheet_->data(slot_).right;
}
std::int32_t TvteXLSRange::Bottom() const {
    return sheet_->data(slot_).bottom;
}

bool TvteXLSRange::coversOneCell() const {
    const auto& range = sheet_->data(slot_);
    return range.left == range.right && range.top == range.bottom;
}

void TvteXLSRange::SetValue(const QVariant& value) {
    auto& range = sheet_->data(slot_);
    const auto storeText = [this, &range](const QString& text) {
        range.type = TvteXLSValueType::Text;
        range.text = sheet_->storeText(text);
    };
    const auto storeNumber = [&range](TvteXLSValueType type, double number) {
        range.type = type;
        range.number = number;
    };
    if (!value.isValid()) {
        range.type = TvteXLSValueType::Empty;
        return;
    }
    if (value.isNull()) {
        range.type = TvteXLSValueType::Null;
        return;
    }
    switch (value.typeId()) {
        case QMetaType::Short:
            storeNumber(TvteXLSValueType::Int16, value.value<short>());
            break;
        case QMetaType::Int:
            storeNumber(TvteXLSValueType::Int32, value.toInt());
            break;
        case QMetaType::Float:
            storeNumber(TvteXLSValueType::Single, value.toFloat());
            break;
        case QMetaType::Double:
            storeNumber(TvteXLSValueType::Double, value.toDouble());
            break;
        case QMetaType::UChar:
            storeNumber(TvteXLSValueType::Byte, value.value<uchar>());
            break;
        case QMetaType::QDateTime:
        case QMetaType::QDate: {
            const QDateTime dateTime = value.toDateTime();
            if (!dateTime.isValid()) {
                storeText(QString());
                break;
            }
            range.type = TvteXLSValueType::DateTime;
            range.localMsecs = localMsecsOf(dateTime.date(), dateTime.time());
            break;
        }
        case QMetaType::QString:
        case QMetaType::QByteArray: {
            QString text = value.toString();
            if (text.contains(QLatin1String("\r\n"))) {  // replacing would copy every text
                text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            }
            storeText(text);
            break;
        }
        default:
            storeText(value.toString());
            break;
    }
}

QVariant TvteXLSRange::Value() const {
    const auto& range = sheet_->data(slot_);
    switch (range.type) {
        case TvteXLSValueType::Empty:
            return QVariant();
        case TvteXLSValueType::Null:
            return QVariant(QMetaType::fromType<QString>());
        case TvteXLSValueType::Int16:
            return QVariant::fromValue(static_cast<short>(range.number));
        case TvteXLSValueType::Int32:
            return QVariant(static_cast<int>(range.number));
        case TvteXLSValueType::Single:
            return QVariant(static_cast<float>(range.number));
        case TvteXLSValueType::Double:
            return QVariant(range.number);
        case TvteXLSValueType::Byte:
            return QVariant::fromValue(static_cast<uchar>(range.number));
        case TvteXLSValueType::DateTime:
            return QVariant(QDateTime(dateOf(range.localMsecs), timeOf(range.localMsecs)));
        case TvteXLSValueType::Text:
            return QVariant(Text());
    }
    return QVariant();
}

TvteXLSValueType TvteXLSRange::ValueType() const {
    return sheet_->data(slot_).type;
}

TvteXLSCellKind TvteXLSRange::CellKind() const {
    return isNumberType(ValueType()) ? TvteXLSCellKind::Number : TvteXLSCellKind::Text;
}

double TvteXLSRange::Number() const {
    const auto& range = sheet_->data(slot_);
    return isNumberType(range.type) ? range.number : 0.0;
}

QString TvteXLSRange::Text() const {
    const auto& range = sheet_->data(slot_);
    switch (range.type) {
        case TvteXLSValueType::Empty:
        case TvteXLSValueType::Null:
            return QString();
        case TvteXLSValueType::DateTime:
            return dateTimeText(dateOf(range.localMsecs), timeOf(range.localMsecs));
        case TvteXLSValueType::Text:
            return sheet_->textPool_.mid(range.text.offset, range.text.length);
        default:
            return Value().toString();
    }
}

QStringView TvteXLSRange::textView(QString& scratch) const {
    const auto& range = sheet_->data(slot_);
    if (range.type == TvteXLSValueType::Text) {
        return QStringView(sheet_->textPool_).mid(range.text.offset, range.text.length);
    }
    scratch = Text();
    return scratch;
}

TvteXLSCellStyle TvteXLSRange::Style() const {
    return sheet_->workbook_->Styles().at(StyleIndex());
}

void TvteXLSRange::SetStyle(const TvteXLSCellStyle& style) {
    sheet_->data(slot_).style = sheet_->workbook_->Styles().intern(style);
}

std::uint32_t TvteXLSRange::StyleIndex() const {
    return sheet_->data(slot_).style;
}

}  // namespace vlr::xls
