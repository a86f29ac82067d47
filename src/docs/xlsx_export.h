#pragma once

#include "docs/document_kind.h"
#include "docs/file_records.h"
#include "xlsx/table_book.h"

#include <QString>

#include <functional>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// Writes the records of a file to path as an .xlsx workbook: the same header and cells as the
// .xls export, in the window's order, streamed as they are read. Numbers are number cells,
// texts text cells, the date-time a date cell; a null field leaves its cell empty. The sheets
// and the workbook's title carry the file's name. A file already at path is replaced only by
// a complete workbook. Throws store::StoreError when the rows cannot be read and
// xlsx::XlsxError when the workbook cannot be written; nothing is left behind then.
void exportXlsxDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                        const RecordOrder& order, const QString& path,
                        const std::function<void()>& eachRow = {},
                        int recordsPerSheet = xlsx::TableBook::kRecordsPerSheet);

}  // namespace vlr::docs
