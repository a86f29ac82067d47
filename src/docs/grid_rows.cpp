#include "docs/grid_rows.h"

#include "docs/document_kind.h"

#include "store/query.h"
#include "store/record_row.h"
#include "store/row_cursor.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

namespace vlr::docs {
namespace {

// How a field of Data or Data_Comm reads into a grid.
enum class FieldKind { Integer, DateTime, Number, Flag, Text };

FieldKind kindOfField(const QString& field) {
    if (field == QLatin1String("DataId") || field == QLatin1String("FileNameId"))
        return FieldKind::Integer;
    if (field.startsWith(QLatin1Char('B')) || field == QLatin1String("Printable"))
        return FieldKind::Flag;
    switch (fieldTypeOf(field)) {
        case FieldType::Integer:
            return FieldKind::Integer;
        case FieldType::DateTime:
            return FieldKind::DateTime;
        case FieldType::Number:
            return FieldKind::Number;
        case FieldType::Text:
            break;
    }
    return FieldKind::Text;
}

// The texts of one column. A file's records repeat a few texts (material, method, size) many
// times; one shared copy of each keeps a file of 65,535 records from allocating a string per
// cell, which costs more than reading it.
class TextColumn {
public:
    QString text(QByteArrayView utf8) {
        const QByteArray key = QByteArray::fromRawData(utf8.data(), utf8.size());
        const auto known = texts_.constFind(key);
        if (known != texts_.constEnd())
            return known.value();
        QString text = QString::fromUtf8(utf8);
        if (texts_.size() < kSharedTexts)
            texts_.insert(QByteArray(utf8.data(), utf8.size()), text);
        return text;
    }

private:
    static constexpr int kSharedTexts = 256;
    QHash<QByteArray, QString> texts_;
};

// The stored "yyyy-MM-dd HH:mm:ss" as a wall-clock reading, as store::fromStoredDateTime reads
// it (invalid when malformed), through Qt's ISO parsers, which are many times faster than a
// parse by pattern.
QVariant wallClock(QByteArrayView stored) {
    if (stored.size() != 19 || stored[10] != ' ')
        return QDateTime();
    const QString text = QString::fromLatin1(stored);
    const QDate date = QDate::fromString(QStringView(text).left(10), Qt::ISODate);
    const QTime time = QTime::fromString(QStringView(text).mid(11), Qt::ISODate);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

// Reads one field of the current row into the grid's value.
class FieldReader {
public:
    FieldReader(int column, FieldKind kind) : column_(column), kind_(kind) {}

    QVariant read(const store::RowCursor& rows) {
        if (rows.isNull(column_))
            return QVariant();
        switch (kind_) {
            case FieldKind::Integer:
                return rows.integer(column_);
            case FieldKind::DateTime:
                return wallClock(rows.utf8(column_));
            case FieldKind::Number:
                return rows.number(column_);
            case FieldKind::Flag:
                return rows.integer(column_) != 0;
            case FieldKind::Text:
                break;
        }
        return texts_.text(rows.utf8(column_));
    }

private:
    int column_;
    FieldKind kind_;
    TextColumn texts_;
};

// The row set selecting only the given fields, in its own order: the database then sorts and
// hands over records of the grid's dozen fields instead of all forty-five.
store::Statement narrowedToFields(store::Statement search, const QStringList& fields) {
    const QStringList known = store::dataColumnNames();
    QStringList columns;
    for (const QString& field : fields) {
        // Only names of Data's columns reach the text; anything else is left to fail below.
        if (!known.contains(field, Qt::CaseInsensitive))
            return search;
        columns << QLatin1Char('[') + field + QLatin1Char(']');
    }
    static const QRegularExpression selectAll(
        QStringLiteral("^select \\*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    search.text.replace(selectAll, QStringLiteral("select ") + columns.join(QStringLiteral(", ")));
    return search;
}

}  // namespace

GridRows readGridRows(const store::Database& database, const store::Statement& rowSet,
                      const QVariantMap& parameters, const QStringList& fields) {
    store::Query query(database, narrowedToFields(rowSet, fields));
    for (auto parameter = parameters.cbegin(); parameter != parameters.cend(); ++parameter)
        query.set(parameter.key(), parameter.value());
    store::RowCursor rows(database, query);
    std::vector<FieldReader> readers;
    for (const QString& field : fields) {
        const int column = rows.columnIndex(field);
        if (column < 0)
            throw store::StoreError(QStringLiteral("the rows have no field %1").arg(field));
        readers.emplace_back(column, kindOfField(field));
    }
    GridRows result{fields, {}};
    while (rows.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (FieldReader& reader : readers)
            row.append(reader.read(rows));
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace vlr::docs
