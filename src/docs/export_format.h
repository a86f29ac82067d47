#pragma once

#include "docs/document_kind.h"
#include "docs/file_records.h"

#include <QString>
#include <QVector>

#include <functional>
#include <stdexcept>

namespace vlr::store {
class Database;
}

namespace vlr::docs {

// The workbook formats a file is exported to; the name's suffix says which.
enum class ExportFormat { Xls, Xlsx };

struct ExportFormatInfo {
    ExportFormat format;
    QString suffix;  // "xls"
    QString filter;  // of the save dialog: "Книга Excel (*.xls)"
};

// The formats in the order the export dialog offers them; the first is its default.
const QVector<ExportFormatInfo>& exportFormats();

// The format a file name's suffix names (without regard to case); nullptr for any other
// suffix and for none.
const ExportFormatInfo* exportFormatOf(const QString& path);

// "xls, xlsx": the suffixes an export writes, for a refusal of any other.
QString exportSuffixesText();

struct ExportTarget {
    QString path;
    ExportFormat format;
};

// Where and how a name given with a chosen format is written: a name with a format's suffix
// in that format, whatever was chosen; any other name in the chosen format, with its suffix
// added.
ExportTarget exportTarget(const QString& path, ExportFormat chosen);

// The workbook could not be written; message() is the text to show.
class ExportWriteError : public std::runtime_error {
public:
    explicit ExportWriteError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Writes the records of a file to path in the format, in the given order (the grid's);
// an existing file is replaced only by a complete one. Throws store::StoreError when the rows
// cannot be read (exportFailedText() tells the user) and ExportWriteError when the workbook
// cannot be written: the .xls writer's own error, or for .xlsx exportFailedText() with the
// system's reason.
void exportDocumentAs(ExportFormat format, const store::Database& database, int fileNameId,
                      const DocumentKind& kind, const RecordOrder& order, const QString& path,
                      const std::function<void()>& eachRow = {});

}  // namespace vlr::docs
