#pragma once

#include "docs/document_kind.h"
#include "docs/file_records.h"

#include <QString>

#include <functional>

namespace vlr::store {
class Database;
}
namespace vlr::xls {
class TvteXLSWorkbook;
}

namespace vlr::docs {

// Records one sheet holds below its header row: the format's last row is 65,535.
constexpr int kRecordsPerSheet = 65535;

// Fills an empty workbook with the records of a file in the given order (the grid's), read
// through the one reader of records (FileRecords), which a writer of another format reads
// the same way: a value per record and column, null for an empty cell. Every sheet
// starts with the kind's header row; a file with more records than one sheet holds goes on
// in further sheets, so nothing is cut off. eachRow, when given, is called for each record
// read. Throws store::StoreError when the rows cannot be
// read.
void fillExportWorkbook(xls::TvteXLSWorkbook& workbook, const store::Database& database,
                        int fileNameId, const DocumentKind& kind, const RecordOrder& order,
                        const std::function<void()>& eachRow = {});

// Builds the workbook of a file and writes it to path; eachRow as for fillExportWorkbook. A file
// already at path is replaced only by a completely written workbook. Throws store::StoreError when
// the rows cannot be read (nothing is written then) and xls::XlsError when the workbook cannot be
// written.
void exportDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                    const RecordOrder& order, const QString& path,
                    const std::function<void()>& eachRow = {});

// The message after a successful export; it names the file without its folder.
QString exportSucceededText(const QString& path);
// The message when the file's rows cannot be read for an export.
QString exportFailedText();

}  // namespace vlr::docs
