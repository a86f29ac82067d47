#include "xlsx/table_book.h"

#include "xlsx/sheet_name.h"
#include "xlsx/xlsx_error.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstring>

namespace vlr::xlsx {
namespace {

// The library formats numbers with the C library, which follows the program's locale: a
// decimal comma would make them unreadable.
class CNumbers {
public:
    CNumbers() : previous_(uselocale(cLocale())) {}
    ~CNumbers() { uselocale(previous_); }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    static locale_t cLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        return c;
    }
    locale_t previous_;
};

void check(lxw_error error) {
    if (error != LXW_NO_ERROR)
        throw XlsxError(QString::fromUtf8(lxw_strerror(error)));
}

// Characters, not bytes, of UTF-8 text.
int characters(QByteArrayView utf8) {
    int count = 0;
    for (const char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

// A sheet's rows wait in a temporary file until the workbook is closed; a write to it that
// failed (a full disk) would otherwise pass unnoticed and leave rows out.
void checkTemporary(lxw_worksheet* sheet) {
    if (sheet->optimize_tmpfile != nullptr && std::ferror(sheet->optimize_tmpfile))
        throwSystemError(errno != 0 ? errno : EIO);
}

constexpr int kDateTimeCharacters = 19;  // "dd.mm.yyyy hh:mm:ss"
constexpr int kWidestColumn = 255;       // the spreadsheet's limit, in characters

}  // namespace

TableBook::TableBook(const QByteArray& path, const QString& title, const QStringList& headers,
                     int recordsPerSheet)
    : title_(title), recordsPerSheet_(recordsPerSheet) {
    const CNumbers numbers;
    const QByteArray temporaryFolder = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(temporaryFolder.constData());
    book_ = workbook_new_opt(path.constData(), &options);
    if (book_ == nullptr)
        throw XlsxError(QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
    try {
        const QByteArray titleText = title.toUtf8();
        lxw_doc_properties properties{};
        properties.title = const_cast<char*>(titleText.constData());
        check(workbook_set_properties(book_, &properties));
        bold_ = workbook_add_format(book_);
        format_set_bold(bold_);
        dateTime_ = workbook_add_format(book_);
        format_set_num_format(dateTime_, "dd.mm.yyyy hh:mm:ss");
        for (const QString& header : headers)
            headers_.push_back(header.toUtf8());
        addSheet();
    } catch (...) {
        discard();
        throw;
    }
}

TableBook::~TableBook() {
    if (book_ != nullptr)
        discard();
}

void TableBook::discard() {
    for (lxw_worksheet* sheet : sheets_) {
        if (sheet->optimize_tmpfile != nullptr) {
            std::fclose(sheet->optimize_tmpfile);
            sheet->optimize_tmpfile = nullptr;
        }
    }
    lxw_workbook_free(book_);
    book_ = nullptr;
}

void TableBook::addSheet() {
    const QByteArray name = sheetName(title_, int(sheets_.size())).toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(book_, name.constData());
    if (sheet == nullptr)
        throw XlsxError(
            QStringLiteral("the sheet name '%1' is refused").arg(QString::fromUtf8(name)));
    sheets_.push_back(sheet);
    row_ = 0;
    widths_.assign(headers_.size(), 0);
    for (size_t column = 0; column < headers_.size(); ++column) {
        check(worksheet_write_string(sheet, 0, lxw_col_t(column), headers_[column].constData(),
                                     bold_));
        // The autofilter's button takes the room of a character or two.
        widen(int(column), characters(headers_[column]) + 2);
    }
    worksheet_freeze_panes(sheet, 1, 0);
}

void TableBook::finishSheet() {
    lxw_worksheet* sheet = sheets_.back();
    const lxw_col_t lastColumn = lxw_col_t(std::max<size_t>(headers_.size(), 1) - 1);
    check(worksheet_autofilter(sheet, 0, 0, lxw_row_t(row_), lastColumn));
    for (size_t column = 0; column < widths_.size(); ++column) {
        const double width = std::min(widths_[column] + 1, kWidestColumn);
        check(worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr));
    }
}

void TableBook::widen(int column, int characters) {
    int& width = widths_[size_t(column)];
    width = std::max(width, characters);
}

void TableBook::beginRow() {
    if (row_ == recordsPerSheet_) {
        const CNumbers numbers;
        finishSheet();
        addSheet();
    }
    ++row_;
    checkTemporary(sheets_.back());
}

void TableBook::setNumber(int column, double value) {
    const CNumbers numbers;
    check(
        worksheet_write_number(sheets_.back(), lxw_row_t(row_), lxw_col_t(column), value, nullptr));
    char shortest[32];
    const auto written = std::to_chars(shortest, shortest + sizeof shortest, value);
    widen(column, int(written.ptr - shortest));
}

void TableBook::setText(int column, QByteArrayView utf8) {
    text_.assign(utf8.data(), size_t(utf8.size()));
    for (size_t at = text_.find("\r\n"); at != std::string::npos; at = text_.find("\r\n", at))
        text_.erase(at, 1);
    check(worksheet_write_string(sheets_.back(), lxw_row_t(row_), lxw_col_t(column), text_.c_str(),
                                 nullptr));
    widen(column, characters(text_));
}

void TableBook::setDateTime(int column, int year, int month, int day, int hour, int minute,
                            int second) {
    const CNumbers numbers;
    lxw_datetime value{year, month, day, hour, minute, double(second)};
    check(worksheet_write_datetime(sheets_.back(), lxw_row_t(row_), lxw_col_t(column), &value,
                                   dateTime_));
    widen(column, kDateTimeCharacters);
}

void TableBook::close() {
    const CNumbers numbers;
    finishSheet();
    for (lxw_worksheet* sheet : sheets_) {
        if (sheet->optimize_tmpfile != nullptr && std::fflush(sheet->optimize_tmpfile) != 0)
            throwSystemError(errno);
        checkTemporary(sheet);
    }
    errno = 0;
    const lxw_error closed = workbook_close(book_);
    const int systemError = errno;
    book_ = nullptr;
    if (closed == LXW_NO_ERROR)
        return;
    if (systemError != 0)
        throwSystemError(systemError);
    check(closed);
}

}  // namespace vlr::xlsx
