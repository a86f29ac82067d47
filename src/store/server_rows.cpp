#include "store/server_rows.h"

#include "store/database.h"
#include "store/query.h"
#include "store/server_connection.h"
#include "store/statement.h"
#include "store/store_error.h"

#include <QSqlError>

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

namespace vlr::store {
namespace {

constexpr int kBinaryResults = 1;

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

// A value of the binary form: integers in network byte order.
template <typename T>
T bigEndian(const char* bytes) {
    std::make_unsigned_t<T> value = 0;
    for (size_t at = 0; at < sizeof(T); ++at)
        value = static_cast<decltype(value)>((value << 8) | static_cast<unsigned char>(bytes[at]));
    return static_cast<T>(value);
}

template <typename Float, typename Bits>
Float floatingPoint(const char* bytes) {
    const Bits bits = bigEndian<Bits>(bytes);
    Float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A numeric's binary form (digit count, weight, sign, scale, then base-10000 digits) as the
// nearest double, by way of its decimal text so that it rounds as the text form would.
double numericValue(const char* bytes) {
    const int digits = bigEndian<int16_t>(bytes);
    const int weight = bigEndian<int16_t>(bytes + 2);
    const uint16_t sign = bigEndian<uint16_t>(bytes + 4);
    switch (sign) {
        case 0xC000:
            return std::numeric_limits<double>::quiet_NaN();
        case 0xD000:
            return std::numeric_limits<double>::infinity();
        case 0xF000:
            return -std::numeric_limits<double>::infinity();
        default:
            break;
    }
    if (digits == 0)
        return 0;
    char text[4 * 1000 + 16];
    const int shown = std::min(digits, 1000);  // beyond a double's precision many times over
    char* at = text;
    for (int digit = 0; digit < shown; ++digit) {
        const int value = bigEndian<int16_t>(bytes + 8 + 2 * digit);
        *at++ = char('0' + value / 1000);
        *at++ = char('0' + value / 100 % 10);
        *at++ = char('0' + value / 10 % 10);
        *at++ = char('0' + value % 10);
    }
    *at++ = 'e';
    at = std::to_chars(at, text + sizeof text, 4 * (weight - shown + 1)).ptr;
    double value = 0;
    std::from_chars(text, at, value);
    return sign == 0x4000 ? -value : value;
}

// A timestamp's binary form, microseconds from 2000-01-01, as a stored date-time's text
// ("2013-01-01 00:01:00"); the fraction of a second, which the local file never holds, goes.
int timestampText(int64_t microseconds, char* text) {
    if (microseconds == std::numeric_limits<int64_t>::max())
        return int(std::strlen(std::strcpy(text, "infinity")));
    if (microseconds == std::numeric_limits<int64_t>::min())
        return int(std::strlen(std::strcpy(text, "-infinity")));
    constexpr int64_t kPerDay = 86400LL * 1000000;
    int64_t days = microseconds / kPerDay;
    int64_t rest = microseconds % kPerDay;
    if (rest < 0) {
        rest += kPerDay;
        --days;
    }
    const int64_t seconds = rest / 1000000;
    // The civil date of a day count (days from 1970-01-01 after the shift).
    const int64_t z = days + 10957 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shifted = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = int(shifted < 10 ? shifted + 3 : shifted - 9);
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    if (year < 0 || year > 9999)
        return std::snprintf(text, 32, "%04lld-%02d-%02d %02d:%02d:%02d",
                             static_cast<long long>(year), month, day, int(seconds / 3600),
                             int(seconds / 60 % 60), int(seconds % 60));
    // Written digit by digit: a file's tens of thousands of date-times in a formatting function
    // would cost more than the rest of its reading.
    const auto put = [&text](int at, int64_t value, int digits) {
        for (int digit = digits - 1; digit >= 0; --digit, value /= 10)
            text[at + digit] = char('0' + value % 10);
    };
    put(0, year, 4);
    text[4] = '-';
    put(5, month, 2);
    text[7] = '-';
    put(8, day, 2);
    text[10] = ' ';
    put(11, seconds / 3600, 2);
    text[13] = ':';
    put(14, seconds / 60 % 60, 2);
    text[16] = ':';
    put(17, seconds % 60, 2);
    return 19;
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

// The kinds of PostgreSQL's type ids (pg_type.oid) of the columns the program's statements give:
// boolean, smallint, integer, bigint, real, double precision, numeric, timestamp, text, char(n)
// and varchar(n).
const std::map<Oid, ServerRows::Kind> ServerRows::kKindsOfTypes{
    {16, Kind::Boolean}, {21, Kind::Int2},    {23, Kind::Int4},      {20, Kind::Int8},
    {700, Kind::Single}, {701, Kind::Double}, {1700, Kind::Numeric}, {1114, Kind::Timestamp},
    {25, Kind::Text},    {1042, Kind::Text},  {1043, Kind::Text}};

ServerRows::ServerRows(const Database& database, const Statement& statement, const QString& text,
                       const QVariantMap& values) {
    database.reconnectIfLost();
    pg_conn* connection = serverHandle(database.connection());
    if (!connection)
        throw database.failure(QSqlError());
    const auto [positional, names] = positionalText(text, statement);
    std::vector<QByteArray> texts;
    std::vector<const char*> parameters;
    texts.reserve(size_t(names.size()));
    for (const QString& name : names) {
        const QVariant value = values.value(name);
        texts.push_back(parameterText(value));
        parameters.push_back(boundAsNull(value) ? nullptr : texts.back().constData());
    }
    // Every parameter's type is left to the server, as for a quoted literal in the text: it
    // takes the type of what it is compared with. The rows come in their binary form, which
    // spares the server writing (and this side reading) tens of thousands of numbers and
    // date-times as texts.
    result_ = PQexecParams(connection, positional.toUtf8().constData(), int(parameters.size()),
                           nullptr, parameters.data(), nullptr, nullptr, kBinaryResults);
    const ExecStatusType status = result_ ? PQresultStatus(result_) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        PQclear(result_);
        result_ = nullptr;
        throw database.failure(QSqlError());
    }
    rowCount_ = PQntuples(result_);
    for (int column = 0; column < PQnfields(result_); ++column) {
        const Oid type = PQftype(result_, column);
        const auto known = kKindsOfTypes.find(type);
        if (known == kKindsOfTypes.end()) {
            // Read in another type's binary form it would be garbage: refused instead.
            const QString name = QString::fromUtf8(PQfname(result_, column));
            PQclear(result_);
            result_ = nullptr;
            throw StoreError(QStringLiteral("column %1 is of a type (%2) the program cannot read")
                                 .arg(name)
                                 .arg(type));
        }
        kinds_.push_back(known->second);
    }
    texts_.resize(kinds_.size());
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
    if (isNull(column))
        return 0;
    const char* bytes = PQgetvalue(result_, row_, column);
    switch (kinds_.at(size_t(column))) {
        case Kind::Boolean:
            return bytes[0] != 0 ? 1 : 0;
        case Kind::Int2:
            return bigEndian<int16_t>(bytes);
        case Kind::Int4:
            return bigEndian<int32_t>(bytes);
        case Kind::Int8:
            return double(bigEndian<int64_t>(bytes));
        case Kind::Single:
            return floatingPoint<float, uint32_t>(bytes);
        case Kind::Double:
            return floatingPoint<double, uint64_t>(bytes);
        case Kind::Numeric:
            return numericValue(bytes);
        case Kind::Timestamp:
            return 0;
        case Kind::Text: {
            double value = 0;
            std::from_chars(bytes, bytes + PQgetlength(result_, row_, column), value);
            return value;
        }
    }
    return 0;
}

int ServerRows::integer(int column) const {
    if (isNull(column))
        return 0;
    const char* bytes = PQgetvalue(result_, row_, column);
    switch (kinds_.at(size_t(column))) {
        case Kind::Int2:
            return bigEndian<int16_t>(bytes);
        case Kind::Int4:
            return bigEndian<int32_t>(bytes);
        default:
            break;
    }
    const double value = number(column);
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<int>::max()
               ? int(std::lround(value))
               : 0;
}

QByteArrayView ServerRows::utf8(int column) const {
    if (isNull(column))
        return {};
    const char* bytes = PQgetvalue(result_, row_, column);
    QByteArray& text = texts_[size_t(column)];
    switch (kinds_.at(size_t(column))) {
        case Kind::Text:
            return QByteArrayView(bytes, PQgetlength(result_, row_, column));
        case Kind::Timestamp:
            text.resize(32);
            text.resize(timestampText(bigEndian<int64_t>(bytes), text.data()));
            return text;
        case Kind::Int2:
        case Kind::Int4:
        case Kind::Int8:
        case Kind::Boolean:
            text = QByteArray::number(qint64(number(column)));
            return text;
        case Kind::Single:
            text =
                QByteArray::number(number(column), 'g', std::numeric_limits<float>::max_digits10);
            return text;
        case Kind::Double:
        case Kind::Numeric:
            text =
                QByteArray::number(number(column), 'g', std::numeric_limits<double>::max_digits10);
            return text;
    }
    return {};
}

}  // namespace vlr::store
