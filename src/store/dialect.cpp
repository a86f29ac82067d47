#include "store/dialect.h"

#include "store/database.h"
#include "store/sqlite_library.h"

#include <QRegularExpression>

namespace vlr::store {
namespace {

// A local file sorts nulls before every value, a server after them: each term of a server's
// order is told the file's way, so that both give their rows in the same order.
QString withFileNullsOrder(const QString& text) {
    static const QRegularExpression orderBy(QStringLiteral("order by ([^;]+);"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString result;
    qsizetype done = 0;
    for (auto matches = orderBy.globalMatch(text); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        QStringList terms = match.captured(1).split(QLatin1Char(','));
        for (QString& term : terms) {
            term += term.trimmed().endsWith(QLatin1String(" desc"), Qt::CaseInsensitive)
                        ? QStringLiteral(" NULLS LAST")
                        : QStringLiteral(" NULLS FIRST");
        }
        result += text.mid(done, match.capturedStart(1) - done) + terms.join(QLatin1Char(','));
        done = match.capturedEnd(1);
    }
    return result + text.mid(done);
}

}  // namespace

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
        result = withFileNullsOrder(result);
    } else if (!driverSharesSqliteLibrary()) {
        result.replace(singleDecimal, QStringLiteral("\\1"));
    }
    return result;
}

}  // namespace vlr::store
