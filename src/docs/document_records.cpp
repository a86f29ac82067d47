#include "docs/document_records.h"

#include "store/database.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/row_cursor.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace vlr::docs {
namespace {

// The note statement with its parameter as wide as the column: with the 50 characters it
// declares, every note of 51 to 100 characters that the column holds would be lost.
const store::Statement& noteStatement() {
    static const store::Statement statement = [] {
        store::Statement edit = store::ADOQuery_Edit();
        for (store::ParamDecl& decl : edit.params) {
            if (decl.name == QLatin1String("PComment"))
                decl.size = kNoteLength;
        }
        return edit;
    }();
    return statement;
}

// One record of Data, the way the grid's built-in deletion removes it.
const store::Statement& deleteRecordStatement() {
    static const store::Statement statement{
        QStringLiteral("DeleteRecord"),
        {store::ParamDecl{QStringLiteral("PDataId"), store::ParamType::Long, 0, QVariant()}},
        QStringLiteral("delete from [Data]\nwhere DataId=:PDataId;"),
        false};
    return statement;
}

// A failing statement may make SQLite roll the whole transaction back (a full disk, an I/O
// error); the statements after it would then each commit on their own.
bool insideTransaction(const store::Database& database) {
    const QVariant handle = database.connection().driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    return connection && sqlite3_get_autocommit(connection) == 0;
}

const store::ParamDecl& parameter(const store::Statement& statement, const char* name) {
    for (const store::ParamDecl& decl : statement.params) {
        if (decl.name == QLatin1String(name))
            return decl;
    }
    throw store::StoreError(QStringLiteral("%1 has no parameter %2").arg(statement.name, name));
}

void begin(const store::Database& database) {
    QSqlDatabase connection = database.connection();
    if (!connection.transaction())
        throw store::StoreError(connection.lastError().text());
}

void commit(const store::Database& database) {
    QSqlDatabase connection = database.connection();
    if (!insideTransaction(database)) {
        connection.rollback();
        throw store::StoreError(QStringLiteral("the transaction was rolled back"));
    }
    if (!connection.commit()) {
        const QString message = connection.lastError().text();
        connection.rollback();
        throw store::StoreError(message);
    }
}

// How a field of Data reads into the grid.
enum class FieldKind { Integer, DateTime, Number, Flag, Text };

FieldKind kindOfField(const QString& field) {
    const QString upper = field.toUpper();
    if (upper == QLatin1String("DATAID") || upper == QLatin1String("FILENAMEID") ||
        upper == QLatin1String("N"))
        return FieldKind::Integer;
    if (upper == QLatin1String("DATETIME"))
        return FieldKind::DateTime;
    if (upper.startsWith(QLatin1Char('F')))
        return FieldKind::Number;
    if (upper.startsWith(QLatin1Char('B')) || upper == QLatin1String("PRINTABLE"))
        return FieldKind::Flag;
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

// The search statement selecting only the given fields, in its own order: the database then
// sorts and hands over records of the grid's dozen fields instead of all forty-five.
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

DropResult copyReceivedRows(const store::Database& database, int fileNameId,
                            const QVector<int>& receivedIds) {
    // One prepared statement for every row: preparing it again per row, with the rounding
    // trigger it fires, costs more than the copy itself.
    const store::Statement& statement = store::ADOQuery_CopyRec();
    QSqlQuery copy(database.connection());
    if (!copy.prepare(statement.text))
        throw store::StoreError(copy.lastError().text());
    copy.bindValue(QStringLiteral(":PFileNameId"),
                   store::toParameterValue(parameter(statement, "PFileNameId"), fileNameId));
    const store::ParamDecl& receivedId = parameter(statement, "PDataId");
    DropResult result;
    begin(database);
    for (int id : receivedIds) {
        copy.bindValue(QStringLiteral(":PDataId"), store::toParameterValue(receivedId, id));
        if (copy.exec()) {
            result.copied += copy.numRowsAffected();
        } else if (insideTransaction(database)) {
            ++result.skipped;
        } else {
            throw store::StoreError(copy.lastError().text());
        }
    }
    commit(database);
    return result;
}

bool noteFits(const QString& note) {
    return note.size() <= kNoteLength;
}

QString noteTooLongText(const QString& note) {
    return QStringLiteral(
               "Примечание длиной %1 символов не помещается: в записи умещается не "
               "более %2 символов. Сократите его.")
        .arg(note.size())
        .arg(kNoteLength);
}

void editNote(const store::Database& database, int dataId, const QString& note) {
    // A null text would store null; an emptied note is an empty text.
    const QString text = note.isNull() ? QString::fromLatin1("", 0) : note;
    store::Query(database, noteStatement())
        .set(QStringLiteral("PDataId"), dataId)
        .set(QStringLiteral("PComment"), text)
        .exec();
}

void deleteRecords(const store::Database& database, const QVector<int>& dataIds) {
    store::Query remove(database, deleteRecordStatement());
    begin(database);
    try {
        for (int id : dataIds)
            remove.set(QStringLiteral("PDataId"), id).exec();
    } catch (const store::StoreError&) {
        database.connection().rollback();
        throw;
    }
    commit(database);
}

bool fileHasRecords(const store::Database& database, int fileNameId) {
    store::Query search(database, store::ADOQuery_Search());
    return search.set(QStringLiteral("PFileNameId"), fileNameId).open().next();
}

store::Statement sortedSearchStatement(const QVector<ColumnSortState>& columnsInOrder) {
    QVector<store::SortColumn> sorted;
    for (const ColumnSortState& column : columnsInOrder) {
        if (column.sort != ColumnSort::None)
            sorted.append({column.field, column.sort == ColumnSort::Descending});
    }
    return store::documentSearchStatement(store::orderByLine(sorted));
}

DocumentRows readDocumentRows(const store::Database& database, const store::Statement& search,
                              int fileNameId, const QStringList& fields) {
    store::Query query(database, narrowedToFields(search, fields));
    query.set(QStringLiteral("PFileNameId"), fileNameId);
    store::RowCursor rows(database, query);
    std::vector<FieldReader> readers;
    for (const QString& field : fields) {
        const int column = rows.columnIndex(field);
        if (column < 0)
            throw store::StoreError(QStringLiteral("the rows have no field %1").arg(field));
        readers.emplace_back(column, kindOfField(field));
    }
    DocumentRows result{fields, {}};
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
