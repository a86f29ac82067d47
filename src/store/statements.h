#pragma once

#include "store/statement.h"

#include <QStringList>

namespace vlr::store {

// Every statement of the program under its component name. The texts are SQLite; each has the
// same effect as the Jet text of the original component.

// Main window
const Statement& ADOQuery_CommDeleteAll();
const Statement& ADOQuery_TempDeleteData();
const Statement& ADOQuery_TempDelete();
const Statement& ADOQuery_CreateFile();
const Statement& ADOQuery_FindFileId();
const Statement& ADOQuery_FindFile();
const Statement& ADOQuery_SaveFile();
const Statement& ADOQuery_DeleteData();
const Statement& ADOQuery_DeleteFile();
const Statement& ADOQuery_CatalogSearch();
const Statement& ADOQuery_CopyRec();
// On a server only: ADOQuery_CopyRec for every id of PDataIds ("{3,1,2}") at once, in its order,
// so that a drop of thousands of rows is one statement and not a round trip per row.
const Statement& ServerCopyReceivedRows();

// Receive view
const Statement& ADOQuery_CommSearch();
const Statement& ADOQuery_SearchDev();
const Statement& ADOQuery_CommDelete();
const Statement& ADOQuery_CommAdd();

// Document windows: the OSK, VTR and VTR asphalt windows hold statements of the same text.
const Statement& ADOQuery_Search();  // ADOQuery_SearchOSK, ADOQuery_SearchVTR
const Statement& ADOQuery_Print();   // ADOQuery_PrintOSK, ADOQuery_PrintVTR
const Statement& ADOQuery_Edit();    // ADOQuery_EditOSK, ADOQuery_EditVTR

// One sorted grid column: its field name and whether it sorts downwards.
struct SortColumn {
    QString field;
    bool descending = false;
};

// The last line of a document window's search statement for the sort state of its columns,
// in grid column order, ended by the record key: "order by F1 DESC, T4 COLLATE ru_ci, DataId;",
// or "order by N, DateTime, DataId;" when none is sorted. Texts (T1..T10, Comment) sort in the
// one text order (store/text_collation.h).
QString orderByLine(const QVector<SortColumn>& sortedColumns);

// The search statement rebuilt with a new last line (after a sort change of the grid).
Statement documentSearchStatement(const QString& orderBy);

// The print statement taking over the current text of a window's search statement.
Statement printStatementFor(const Statement& search);

}  // namespace vlr::store
