#pragma once

#include "docs/document_kind.h"
#include "docs/file_records.h"
#include "report/prepared_report.h"
#include "report/report_layout.h"

#include <functional>
#include <memory>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// The printed report of a kind: A4 landscape, the title on the first page, the column headings
// on every page, one line of cells per record and "Стр. N из M" at the foot of every page.
report::ReportLayout reportLayout(const DocumentKind& kind);

// The records of a file as the report of its kind reads them, in the given order (the grid's),
// through the one reader of records. Throws store::StoreError when the rows cannot be opened;
// a failure while they are read throws it too.
std::unique_ptr<report::RowSource> openPrintRows(const store::Database& database, int fileNameId,
                                                 const DocumentKind& kind,
                                                 const RecordOrder& order);

// Opens the rows of a file and prepares its report; eachRow, when given, is called for each
// row read. Throws store::StoreError when the rows
// cannot be opened; a failed preparation comes back in the result.
report::Preparation prepareDocumentReport(const store::Database& database, int fileNameId,
                                          const DocumentKind& kind, const RecordOrder& order,
                                          const std::function<void()>& eachRow = {});

// The file's name in the catalog, which a print job is named after; empty when it cannot be
// read.
QString printDocumentName(const store::Database& database, int fileNameId);

// The message when the file's rows cannot be read for printing.
QString printFailedText();

}  // namespace vlr::docs
