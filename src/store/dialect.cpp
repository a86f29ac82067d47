#include "store/dialect.h"

#include "store/database.h"
#include "store/sqlite_library.h"

#include <QRegularExpression>

namespace vlr::store {

QString engineText(const Database& database, const QString& text) {
    static const QRegularExpression singleDecimal(QStringLiteral("single_decimal\\(([\\w.]+)\\)"));
    QString result = text;
    if (database.isServer()) {
        static const QRegularExpression brackets(QStringLiteral("\\[(\\w+)\\]"));
        result.replace(brackets, QStringLiteral("\\1"));
        // The server writes a real in its shortest exact text (extra_float_digits = 1): that text
        // rounded to 5 decimals is what decimalOfSingle gives.
        result.replace(singleDecimal,
                       QStringLiteral("round(CAST(CAST(\\1 AS text) AS numeric), 5)"));
    } else if (!driverSharesSqliteLibrary()) {
        result.replace(singleDecimal, QStringLiteral("\\1"));
    }
    return result;
}

}  // namespace vlr::store
