#include "xls/xls_workbook.h"

#include "xls/user_date_time.h"

namespace vlr::xls {

namespace {

constexpr std::int64_t kMsecsPerDay = 86400000;

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

void TvteXLSRange::SetValue(const QVariant& value) {
    auto& range = sheet_->data(slot_);
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
            SetInteger(value.toInt());
            break;
        case QMetaType::Float:
            storeNumber(TvteXLSValueType::Single, value.toFloat());
            break;
        case QMetaType::Double:
            SetDouble(value.toDouble());
            break;
        case QMetaType::UChar:
            storeNumber(TvteXLSValueType::Byte, value.value<uchar>());
            break;
        case QMetaType::QDateTime:
        case QMetaType::QDate: {
            const QDateTime dateTime = value.toDateTime();
            SetDateTime(dateTime.date(), dateTime.time());
            break;
        }
        case QMetaType::QString:
            SetText(value.toString());
            break;
        case QMetaType::QByteArray:
            SetUtf8Text(value.toByteArray());
            break;
        default:
            SetText(value.toString());
            break;
    }
}

void TvteXLSRange::SetInteger(int value) {
    auto& range = sheet_->data(slot_);
    range.type = TvteXLSValueType::Int32;
    range.number = value;
}

void TvteXLSRange::SetDouble(double value) {
    auto& range = sheet_->data(slot_);
    range.type = TvteXLSValueType::Double;
    range.number = value;
}

void TvteXLSRange::SetText(QStringView text) {
    auto& range = sheet_->data(slot_);
    range.type = TvteXLSValueType::Text;
    range.text = sheet_->storeText(text);
}

void TvteXLSRange::SetUtf8Text(QByteArrayView utf8) {
    auto& range = sheet_->data(slot_);
    range.type = TvteXLSValueType::Text;
    range.text = sheet_->storeUtf8Text(utf8);
}

void TvteXLSRange::SetDateTime(const QDate& date, const QTime& time) {
    if (!date.isValid()) {
        SetText(QStringView());
        return;
    }
    auto& range = sheet_->data(slot_);
    range.type = TvteXLSValueType::DateTime;
    range.localMsecs = localMsecsOf(date, time);
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

QString TvteXLSRange::Text() const {
    const auto& range = sheet_->data(slot_);
    switch (range.type) {
        case TvteXLSValueType::Empty:
        case TvteXLSValueType::Null:
            return QString();
        case TvteXLSValueType::DateTime:
            return userDateTimeText(dateOf(range.localMsecs), timeOf(range.localMsecs));
        case TvteXLSValueType::Text:
            return sheet_->storedText(range.text).toString();
        default:
            return Value().toString();
    }
}

QStringView TvteXLSRange::textView(QString& scratch) const {
    const auto& range = sheet_->data(slot_);
    if (range.type == TvteXLSValueType::Text) {
        return sheet_->storedText(range.text);
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

}  // namespace vlr::xls
