#include "xls/xls_limits.h"

#include "xls/xls_error.h"

namespace vlr::xls {

namespace {

[[noreturn]] void refuseSize(const TvteXLSWorksheet& sheet) {
    throw XlsError(QStringLiteral("Лист \"%1\" не помещается в книгу Excel: допустимы строки "
                                  "1–65536 и столбцы 1–256.")
                       .arg(sheet.Name()));
}

bool inside(std::int32_t value, std::int32_t last) {
    return value >= 0 && value <= last;
}

}  // namespace

void checkSheetBounds(const TvteXLSWorksheet& sheet) {
    const bool untouched = sheet.MinCol() == -1 && sheet.MinRow() == -1 && sheet.MaxCol() == -1 &&
                           sheet.MaxRow() == -1;
    if (untouched) {
        return;
    }
    // A bound of -1 beside others that are set comes from a negative coordinate.
    if (!inside(sheet.MinRow(), kMaxRow) || !inside(sheet.MaxRow(), kMaxRow) ||
        !inside(sheet.MinCol(), kMaxColumn) || !inside(sheet.MaxCol(), kMaxColumn)) {
        refuseSize(sheet);
    }
}

void checkRange(const TvteXLSWorksheet& sheet, const TvteXLSRange& range) {
    if (range.Left() > range.Right() || range.Top() > range.Bottom()) {
        throw XlsError(QStringLiteral("Лист \"%1\": неверная область ячеек (столбцы %2–%3, "
                                      "строки %4–%5).")
                           .arg(sheet.Name())
                           .arg(range.Left())
                           .arg(range.Right())
                           .arg(range.Top())
                           .arg(range.Bottom()));
    }
    if (!inside(range.Left(), kMaxColumn) || !inside(range.Right(), kMaxColumn) ||
        !inside(range.Top(), kMaxRow) || !inside(range.Bottom(), kMaxRow)) {
        refuseSize(sheet);
    }
}

void checkText(const TvteXLSWorksheet& sheet, QStringView text) {
    if (text.size() > kMaxTextLength) {
        throw XlsError(
            QStringLiteral("Лист \"%1\": текст ячейки длиннее 65535 символов.").arg(sheet.Name()));
    }
}

}  // namespace vlr::xls
