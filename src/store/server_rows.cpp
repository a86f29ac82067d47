#include "store/server_rows.h"

#include "store/database.h"
#include "store/server_connection.h"
#include "store/statement.h"
#include "store/store_error.h"

#include <QSqlError>

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace vlr::store {
namespace {

// PostgreSQL's type ids of the columns whose text is read other than as it stands.
constexpr Oid kBoolType = 16;
constexpr Oid kInt8Type = 20;
constexpr Oid kInt2Type = 21;
constexpr Oid kInt4Type = 23;
constexpr Oid kRealType = 700;
constexpr Oid kDoubleType = 701;
constexpr Oid kNumericType = 1700;
constexpr Oid kTimestampType = 1114;

// A stored date-time's text: "2013-01-01 00:01:00"; the server adds a fraction of a second,
// which the local file never holds.
constexpr int kStoredDateTimeLength = 19;

bool startsName(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool inName(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The parameter's text as the server reads it: numbers in their exact text, nothing for null.
QByteArray parameterText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return QByteArray::number(value.toDouble(), 'g', 17);
        default:
            return value.toString().toUtf8();
    }
}

bool isNullValue(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull());
}

template <typename T>
bool parse(const char* text, int length, T& value) {
    const auto [end, error] = std::from_chars(text, text + length, value);
    return error == std::errc() && end == text + length;
}

}  // namespace

std::pair<QString, QStringList> positionalText(const QString& text, const Statement& statement) {
    QString result;
    result.reserve(text.size());
    QStringList names;
    QChar quote;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(':') && at + 1 < text.size() && startsName(text.at(at + 1)) &&
                   (at == 0 || text.at(at - 1) != QLatin1Char(':'))) {
            qsizetype end = at + 1;
            while (end < text.size() && inName(text.at(end)))
                ++end;
            const QString name = text.mid(at + 1, end - at - 1);
            const bool declared =
                std::any_of(statement.params.cbegin(), statement.params.cend(),
                            [&](const ParamDecl& decl) { return decl.name == name; });
            if (declared) {
                qsizetype number = names.indexOf(name);
                if (number < 0) {
                    names << name;
                    number = names.size() - 1;
                }
                result += QLatin1Char('$') + QString::number(number + 1);
                at = end - 1;
                continue;
            }
        }
        result += c;
    }
    return {result, names};
}

ServerRows::ServerRows(const Database& database, const Statement& statement, const QString& text,
                       const QVariantMap& values) {
    database.reconnectIfLost();
    pg_conn* connection = serverHandle(database.connection());
    if (!connection)
        throw StoreError(database.failureText(QSqlError()));
    const auto [positional, names] = positionalText(text, statement);
    std::vector<QByteArray> texts;
    std::vector<const char*> parameters;
    texts.reserve(size_t(names.size()));
    for (const QString& name : names) {
        const QVariant value = values.value(name);
        texts.push_back(parameterText(value));
        parameters.push_back(isNullValue(value) ? nullptr : texts.back().constData());
    }
    // Every parameter's type is left to the server, as for a quoted literal in the text: it
    // takes the type of what it is compared with.
    result_ = PQexecParams(connection, positional.toUtf8().constData(), int(parameters.size()),
                           nullptr, parameters.data(), nullptr, nullptr, 0);
    const ExecStatusType status = result_ ? PQresultStatus(result_) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        PQclear(result_);
        result_ = nullptr;
        throw StoreError(database.failureText(QSqlError()));
    }
    rowCount_ = PQntuples(result_);
    for (int column = 0; column < PQnfields(result_); ++column) {
        switch (PQftype(result_, column)) {
            case kBoolType:
                kinds_.push_back(Kind::Boolean);
                break;
            case kInt2Type:
            case kInt4Type:
            case kInt8Type:
                kinds_.push_back(Kind::Integer);
                break;
            case kRealType:
                kinds_.push_back(Kind::Single);
                break;
            case kDoubleType:
            case kNumericType:
                kinds_.push_back(Kind::Number);
                break;
            case kTimestampType:
                kinds_.push_back(Kind::Timestamp);
                break;
            default:
                kinds_.push_back(Kind::Text);
                break;
        }
    }
}

ServerRows::~ServerRows() {
    PQclear(result_);
}

int ServerRows::columnIndex(const QString& name) const {
    for (int column = 0; column < int(kinds_.size()); ++column) {
        if (QString::fromUtf8(PQfname(result_, column)).compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

bool ServerRows::next() {
    if (row_ < rowCount_)
        ++row_;
    return row_ < rowCount_;
}

bool ServerRows::isNull(int column) const {
    return PQgetisnull(result_, row_, column) != 0;
}

double ServerRows::number(int column) const {
    const char* text = PQgetvalue(result_, row_, column);
    const int length = PQgetlength(result_, row_, column);
    switch (kinds_.at(size_t(column))) {
        case Kind::Boolean:
            return text[0] == 't' ? 1 : 0;
        case Kind::Single: {
            // The server writes a real as its shortest exact text: the single itself is what a
            // local file gives.
            float single = 0;
            return parse(text, length, single) ? double(single) : std::strtod(text, nullptr);
        }
        case Kind::Integer:
        case Kind::Number: {
            double value = 0;
            // NaN and the infinities, which from_chars reads differently, as the C library does.
            return parse(text, length, value) ? value : std::strtod(text, nullptr);
        }
        case Kind::Text: {
            double value = 0;
            return parse(text, length, value) ? value : 0;
        }
        case Kind::Timestamp:
            break;
    }
    return 0;
}

int ServerRows::integer(int column) const {
    if (kinds_.at(size_t(column)) == Kind::Integer) {
        int value = 0;
        if (parse(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column), value))
            return value;
    }
    const double value = number(column);
    return std::isfinite(value) && std::fabs(value) <= INT_MAX ? int(std::lround(value)) : 0;
}

QByteArrayView ServerRows::utf8(int column) const {
    if (isNull(column))
        return {};
    const char* text = PQgetvalue(result_, row_, column);
    int length = PQgetlength(result_, row_, column);
    if (kinds_.at(size_t(column)) == Kind::Timestamp && length > kStoredDateTimeLength &&
        text[kStoredDateTimeLength] == '.')
        length = kStoredDateTimeLength;
    return QByteArrayView(text, length);
}

}  // namespace vlr::store
