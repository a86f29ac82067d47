#include "docs/document_records.h"

#include "store/database.h"
#include "store/dialect.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/transaction.h"

#include <QSqlQuery>

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

const store::ParamDecl& parameter(const store::Statement& statement, const char* name) {
    for (const store::ParamDecl& decl : statement.params) {
        if (decl.name == QLatin1String(name))
            return decl;
    }
    throw store::StoreError(QStringLiteral("%1 has no parameter %2").arg(statement.name, name));
}

}  // namespace

DropResult copyReceivedRows(const store::Database& database, int fileNameId,
                            const QVector<int>& receivedIds) {
    // One prepared statement for every row: preparing it again per row, with the rounding
    // trigger it fires, costs more than the copy itself.
    const store::Statement& statement = store::ADOQuery_CopyRec();
    database.reconnectIfLost();
    QSqlQuery copy(database.connection());
    if (!copy.prepare(store::engineText(database, statement.text)))
        throw store::StoreError(database.failureText(copy.lastError()));
    copy.bindValue(QStringLiteral(":PFileNameId"),
                   store::toParameterValue(parameter(statement, "PFileNameId"), fileNameId));
    const store::ParamDecl& receivedId = parameter(statement, "PDataId");
    DropResult result;
    store::beginTransaction(database);
    for (int id : receivedIds) {
        copy.bindValue(QStringLiteral(":PDataId"), store::toParameterValue(receivedId, id));
        if (copy.exec()) {
            result.copied += copy.numRowsAffected();
        } else if (store::transactionIntact(database)) {
            ++result.skipped;
        } else {
            const QString failure = database.failureText(copy.lastError());
            store::rollbackTransaction(database);
            throw store::StoreError(failure);
        }
    }
    store::commitTransaction(database);
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
    store::beginTransaction(database);
    try {
        for (int id : dataIds)
            remove.set(QStringLiteral("PDataId"), id).exec();
    } catch (const store::StoreError&) {
        store::rollbackTransaction(database);
        throw;
    }
    store::commitTransaction(database);
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

}  // namespace vlr::docs
