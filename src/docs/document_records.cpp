#include "docs/document_records.h"

#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/transaction.h"

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

// On a server every row would be one round trip: all rows go in one statement, which fails
// whole, as a drop on a server does anyway.
DropResult copyReceivedRowsAtOnce(const store::Database& database, int fileNameId,
                                  const QVector<int>& receivedIds) {
    QStringList ids;
    ids.reserve(receivedIds.size());
    for (int id : receivedIds)
        ids << QString::number(id);
    store::Query copy(database, store::ServerCopyReceivedRows());
    copy.set(QStringLiteral("PDataIds"),
             QLatin1Char('{') + ids.join(QLatin1Char(',')) + QLatin1Char('}'));
    copy.set(QStringLiteral("PFileNameId"), fileNameId);
    store::Transaction transaction(database);
    DropResult result;
    result.copied = transaction.step(copy).value_or(0);
    transaction.commit();
    return result;
}

}  // namespace

DropResult copyReceivedRows(const store::Database& database, int fileNameId,
                            const QVector<int>& receivedIds) {
    if (database.isServer())
        return copyReceivedRowsAtOnce(database, fileNameId, receivedIds);
    // One prepared statement for every row: preparing it again per row, with the rounding
    // trigger it fires, costs more than the copy itself.
    store::Query copy(database, store::ADOQuery_CopyRec());
    copy.set(QStringLiteral("PFileNameId"), fileNameId);
    DropResult result;
    store::Transaction transaction(database);
    for (int id : receivedIds) {
        copy.set(QStringLiteral("PDataId"), id);
        if (const std::optional<int> copied = transaction.step(copy))
            result.copied += *copied;
        else
            ++result.skipped;
    }
    transaction.commit();
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
    store::Transaction transaction(database);
    for (int id : dataIds)
        remove.set(QStringLiteral("PDataId"), id).exec();
    transaction.commit();
}

bool fileHasRecords(const store::Database& database, int fileNameId) {
    store::Query search(database, store::ADOQuery_Search());
    return search.set(QStringLiteral("PFileNameId"), fileNameId).open().next();
}

RecordOrder recordOrder(const QVector<ColumnSortState>& columnsInOrder) {
    RecordOrder order;
    for (const ColumnSortState& column : columnsInOrder) {
        if (column.sort != ColumnSort::None)
            order.append({column.field, column.sort == ColumnSort::Descending});
    }
    return order;
}

}  // namespace vlr::docs
