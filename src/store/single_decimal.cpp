#include "store/single_decimal.h"

#include "store/store_error.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>

namespace vlr::store {
namespace {

constexpr int kDecimals = 5;

// Rounds the fixed-point text [first, last) to kDecimals places, half away from zero, in place;
// returns its new end. The buffer has room for one more character (a carry into a new digit).
char* roundToDecimals(char* first, char* last) {
    char* point = first;
    while (point != last && *point != '.')
        ++point;
    if (last - point - 1 <= kDecimals)
        return last;
    char* end = point + 1 + kDecimals;
    if (*end < '5')
        return end;
    for (char* digit = end - 1; digit >= first && *digit != '-'; --digit) {
        if (*digit == '.')
            continue;
        if (*digit != '9') {
            ++*digit;
            return end;
        }
        *digit = '0';
    }
    // Every digit carried over: one more leading digit, after the sign if there is one.
    char* lead = *first == '-' ? first + 1 : first;
    for (char* move = end; move > lead; --move)
        *move = *(move - 1);
    *lead = '1';
    return end + 1;
}

void singleDecimal(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_value* value = arguments[0];
    if (sqlite3_value_type(value) == SQLITE_FLOAT)
        sqlite3_result_double(context, decimalOfSingle(sqlite3_value_double(value)));
    else
        sqlite3_result_value(context, value);
}

}  // namespace

double decimalOfSingle(double value) {
    if (!std::isfinite(value))
        return value;
    // Fixed-point text of any double fits: at most 309 integer digits and 1074 decimals.
    char text[1400];
    const float single = static_cast<float>(value);
    const auto written =
        static_cast<double>(single) == value
            ? std::to_chars(text, text + sizeof text - 1, single, std::chars_format::fixed)
            : std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed);
    char* end = roundToDecimals(text, written.ptr);
    double result = value;
    std::from_chars(text, end, result);
    return result;
}

void addSingleDecimalFunction(sqlite3* connection) {
    const int added = sqlite3_create_function_v2(
        connection, "single_decimal", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
        nullptr, singleDecimal, nullptr, nullptr, nullptr);
    if (added != SQLITE_OK)
        throw StoreError(QString::fromUtf8(sqlite3_errmsg(connection)));
}

}  // namespace vlr::store
