#include "docs/record_values.h"

#include "docs/document_kind.h"
#include "store/row_cursor.h"
#include "store/single_decimal.h"

#include <QDateTime>

namespace vlr::docs {
namespace {

constexpr int kSharedTexts = 256;

// The stored "yyyy-MM-dd HH:mm:ss" as a wall-clock reading carried as UTC, so that no zone's
// clock change can shift or drop it, through Qt's ISO parsers (many times faster than a parse
// by pattern); its own text when it is no date and time.
QVariant wallClock(QByteArrayView stored) {
    const QString text = QString::fromUtf8(stored);
    if (stored.size() == 19 && stored[10] == ' ') {
        const QDate date = QDate::fromString(QStringView(text).left(10), Qt::ISODate);
        const QTime time = QTime::fromString(QStringView(text).mid(11), Qt::ISODate);
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    return text;
}

}  // namespace

FieldReader::FieldReader(const QString& field, int column, NumberStorage numbers)
    : column_(column), kind_(Kind::Text) {
    if (field.compare(QLatin1String("DataId"), Qt::CaseInsensitive) == 0 ||
        field.compare(QLatin1String("FileNameId"), Qt::CaseInsensitive) == 0) {
        kind_ = Kind::Integer;
    } else if (field.startsWith(QLatin1Char('B'), Qt::CaseInsensitive) ||
               field.compare(QLatin1String("Printable"), Qt::CaseInsensitive) == 0) {
        kind_ = Kind::Flag;
    } else {
        switch (fieldTypeOf(field)) {
            case FieldType::Integer:
                kind_ = Kind::Integer;
                break;
            case FieldType::DateTime:
                kind_ = Kind::DateTime;
                break;
            case FieldType::Number:
                kind_ = numbers == NumberStorage::Single ? Kind::Single : Kind::Decimal;
                break;
            case FieldType::Text:
                break;
        }
    }
}

QVariant FieldReader::read(const store::RowCursor& rows) {
    if (rows.isNull(column_))
        return QVariant();
    switch (kind_) {
        case Kind::Integer:
            return rows.integer(column_);
        case Kind::DateTime:
            return wallClock(rows.utf8(column_));
        case Kind::Decimal:
            return rows.number(column_);
        case Kind::Single:
            return store::decimalOfSingle(rows.number(column_));
        case Kind::Flag:
            return rows.integer(column_) != 0;
        case Kind::Text:
            break;
    }
    return text(rows.utf8(column_));
}

QString FieldReader::text(QByteArrayView utf8) {
    const QByteArray key = QByteArray::fromRawData(utf8.data(), utf8.size());
    const auto known = texts_.constFind(key);
    if (known != texts_.constEnd())
        return known.value();
    QString text = QString::fromUtf8(utf8);
    if (texts_.size() < kSharedTexts)
        texts_.insert(QByteArray(utf8.data(), utf8.size()), text);
    return text;
}

}  // namespace vlr::docs
