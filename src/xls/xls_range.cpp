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

QString dateTimeText(const QDate& date, const QTime& time) {
    const QLocale locale;
    QString dateFormat;
    QString timeFormat;
    if (locale.language() == QLocale::Russian) {
        // The Russian system settings write the hour without a leading zero.
        dateFormat = QStringLiteral("dd.MM.yyyy");
        timeFormat = QStringLiteral("H:mm:ss");
    } else {
        dateFormat = locale.dateFormat(QLocale::ShortFormat);
        timeFormat = locale.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed();
    }
    QString text = locale.toString(date, dateFormat);
    if (time.msecsSinceStartOfDay() != 0) {
        text += QLatin1Char(' ') + locale.toString(time, timeFormat);
    }
    return text;
}

std::int32_t TvteXLSRange::Left() const {
    return sheet_->pool_[slot_].left;
}
std::int32_t TvteXLSRange::Top() const {
    return sheet_->pool_[slot_].top;
}
std::int32_t TvteXLSRange::Right() const {
    return sheet_->pool_[slot_].right;
}
std::int32_t TvteXLSRange::Bottom() const {
    return sheet_->pool_[slot_].bottom;
}

bool TvteXLSRange::coversOneCell() const {
    const auto& range = sheet_->pool_[slot_];
    return range.left == range.right && range.top == range.bottom;
}

void TvteXLSRange::SetValue(const QVariant& value) {
    auto& range = sheet_->pool_[slot_];
    const auto storeText = [this, &range](QString text) {
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
        case QMetaType::QByteArray:
            storeText(value.toString().replace(QLatin1String("\r\n"), QLatin1String("\n")));
            break;
        default:
            storeText(value.toString());
            break;
    }
}

QVariant TvteXLSRange::Value() const {
    const auto& range = sheet_->pool_[slot_];
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
    return sheet_->pool_[slot_].type;
}

TvteXLSCellKind TvteXLSRange::CellKind() const {
    return isNumberType(ValueType()) ? TvteXLSCellKind::Number : TvteXLSCellKind::Text;
}

double TvteXLSRange::Number() const {
    const auto& range = sheet_->pool_[slot_];
    return isNumberType(range.type) ? range.number : 0.0;
}

QString TvteXLSRange::Text() const {
    const auto& range = sheet_->pool_[slot_];
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

TvteXLSCellStyle TvteXLSRange::Style() const {
    return sheet_->workbook_->Styles().at(StyleIndex());
}

void TvteXLSRange::SetStyle(const TvteXLSCellStyle& style) {
    sheet_->pool_[slot_].style = sheet_->workbook_->Styles().intern(style);
}

std::uint32_t TvteXLSRange::StyleIndex() const {
    return sheet_->pool_[slot_].style;
}

}  // namespace vlr::xls
