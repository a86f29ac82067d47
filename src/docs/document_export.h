#pragma once

#include "docs/document_kind.h"
#include "store/statement.h"

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

// Fills an empty workbook with the records of a file, read by the print statement that takes
// over the text of the given search statement, so the rows come in its order. Every sheet
// starts with the kind's header row; a file with more records than one sheet holds goes on
// in further sheets, so nothing is cut off. eachRow, when given, is called for each record
// read. Throws store::StoreError when the rows cannot be read.
void fillExportWorkbook(xls::TvteXLSWorkbook& workbook, const store::Database& database,
                        int fileNameId, const DocumentKind& kind, const store::Statement& search,
                        const std::function<void()>& eachRow = {});

// Builds the workbook of a file and writes it to path; eachRow, when given, is called for each
// record read. A file already at path is replaced only by a completely written
// workbook. Throws store::StoreError when the rows cannot be read (nothing is written then)
// and xls::XlsError when the workbook cannot be written.
void exportDocument(const store::Database& database, int fileNameId, const DocumentKind& kind,
                    const store::Statement& search, const QString& path,
                    const std::function<void()>& eachRow = {});

// The message after a successful export; it names the file without its folder.
QString exportSucceededText(const QString& path);
// The message when the file's rows cannot be read for an export.
QString exportFailedText();

}  // namespace vlr::docs
