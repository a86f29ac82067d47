#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace vlr::xlsx {

// A table written as an .xlsx workbook one row at a time, in constant memory: a row goes to
// the sheet's temporary file as soon as the next one begins. Every sheet starts with the
// header row, bold, frozen and under an autofilter over all columns; a sheet holds at most
// recordsPerSheet rows below it, then the next sheet begins. Column widths fit the header and
// the longest value by character count. Numbers are written with 16 significant digits in the
// C locale, whatever the program's locale.
class TableBook {
public:
    // The spreadsheet's last row, 1,048,576, less the header row.
    static constexpr int kRecordsPerSheet = 1048575;

    // Starts a workbook whose file is written to path at close(). The title is the workbook's
    // title property and names the sheets (see sheetName()). Throws XlsxError.
    TableBook(const QByteArray& path, const QString& title, const QStringList& headers,
              int recordsPerSheet = kRecordsPerSheet);
    // A workbook that was not closed is dropped; its file stays as it was.
    ~TableBook();
    TableBook(const TableBook&) = delete;
    TableBook& operator=(const TableBook&) = delete;

    // Starts the next record row; its cells are set by column (from 0), a cell not set stays
    // empty. Throws XlsxError when the rows so far could not be written.
    void beginRow();
    void setNumber(int column, double value);
    // UTF-8 text, written as text even when it reads as a number; CR LF become LF.
    void setText(int column, QByteArrayView utf8);
    // A date-time cell (a serial date), shown as "dd.mm.yyyy hh:mm:ss".
    void setDateTime(int column, int year, int month, int day, int hour, int minute, int second);

    // Writes the workbook's file. Throws XlsxError; the file is incomplete then.
    void close();

private:
    void addSheet();
    // Frees the workbook without writing it.
    void discard();
    void finishSheet();
    void widen(int column, int characters);

    lxw_workbook* book_ = nullptr;
    std::vector<lxw_worksheet*> sheets_;
    lxw_format* bold_ = nullptr;
    lxw_format* dateTime_ = nullptr;
    QString title_;
    std::vector<QByteArray> headers_;
    std::vector<int> widths_;  // in characters, of the current sheet
    int recordsPerSheet_;
    int row_ = 0;  // of the current sheet; 0 is the header row
    std::string text_;
};

}  // namespace vlr::xlsx
