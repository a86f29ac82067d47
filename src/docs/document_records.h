#pragma once

#include "docs/file_records.h"

#include <QString>
#include <QVector>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// What a document window does to the records of its file, without the window.

// Characters the note column Data.Comment holds.
constexpr int kNoteLength = 100;

// What one drop of received rows did.
struct DropResult {
    int copied = 0;   // records added to the file
    int skipped = 0;  // received rows whose copy failed
};

// Copies received rows (Data_Comm.DataId) into a file with ADOQuery_CopyRec, one record per
// id in the given order, so the same rows given twice are added twice. All copies of one call
// form one transaction: on the local file a copy that fails skips its row alone (on a server it
// fails the drop), and when the transaction itself fails nothing lands and StoreError is thrown.
DropResult copyReceivedRows(const store::Database& database, int fileNameId,
                            const QVector<int>& receivedIds);

// Whether the note column can hold the text.
bool noteFits(const QString& note);
// The refusal of a note longer than the column holds.
QString noteTooLongText(const QString& note);

// Stores the note of one record with ADOQuery_Edit: an empty text stays an empty text, not
// null. A note that does not fit, like any failure of the statement, throws StoreError and
// leaves the old note; a note is never cut short.
void editNote(const store::Database& database, int dataId, const QString& note);

// Removes records from Data in one transaction: all of them, or none and StoreError.
void deleteRecords(const store::Database& database, const QVector<int>& dataIds);

// Whether the file holds any record now, whoever added it. Throws StoreError when the records
// cannot be read.
bool fileHasRecords(const store::Database& database, int fileNameId);

// A grid column's title sort state, by the field the column shows.
enum class ColumnSort { None, Ascending, Descending };
struct ColumnSortState {
    QString field;
    ColumnSort sort = ColumnSort::None;
};

// The order of the sorted columns, taken in column order (hidden columns in their places),
// whatever order they were clicked in; empty (N, then DateTime) when none is sorted.
RecordOrder recordOrder(const QVector<ColumnSortState>& columnsInOrder);

}  // namespace vlr::docs
