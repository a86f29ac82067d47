#include "store/sqlite_rows.h"

#include "store/database.h"
#include "store/query.h"
#include "store/sqlite_library.h"
#include "store/store_error.h"

#include <QVariant>

#include <sqlite3.h>

namespace vlr::store {
namespace {

int bindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (boundAsNull(value))
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UInt:
            return sqlite3_bind_int64(statement, index, value.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return sqlite3_bind_double(statement, index, value.toDouble());
        default: {
            const QString text = value.toString();
            return sqlite3_bind_text16(statement, index, text.utf16(),
                                       int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
    }
}

}  // namespace

SqliteRows::SqliteRows(const Database& database, const Query& query)
    : connection_(sqliteHandle(database.connection())) {
    const QString& text = query.statement().text;
    const int prepared = sqlite3_prepare16_v2(
        connection_, text.utf16(), int(text.size() * sizeof(char16_t)), &statement_, nullptr);
    if (prepared != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(connection_));
        sqlite3_finalize(statement_);
        throw StoreError(message);
    }
    for (const ParamDecl& decl : query.statement().params) {
        const QByteArray placeholder = ':' + decl.name.toUtf8();
        const int index = sqlite3_bind_parameter_index(statement_, placeholder.constData());
        if (index > 0 &&
            bindValue(statement_, index, query.values().value(decl.name)) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(connection_));
            sqlite3_finalize(statement_);
            throw StoreError(message);
        }
    }
}

SqliteRows::~SqliteRows() {
    sqlite3_finalize(statement_);
}

int SqliteRows::columnIndex(const QString& name) const {
    const int count = sqlite3_column_count(statement_);
    for (int column = 0; column < count; ++column) {
        const QString columnName = QString::fromUtf8(sqlite3_column_name(statement_, column));
        if (columnName.compare(name, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

bool SqliteRows::next() {
    // Stepping a finished statement would start it over.
    if (finished_)
        return false;
    const int stepped = sqlite3_step(statement_);
    if (stepped == SQLITE_ROW)
        return true;
    if (stepped == SQLITE_DONE) {
        finished_ = true;
        return false;
    }
    throw StoreError(QString::fromUtf8(sqlite3_errmsg(connection_)));
}

bool SqliteRows::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

double SqliteRows::number(int column) const {
    return sqlite3_column_double(statement_, column);
}

int SqliteRows::integer(int column) const {
    return sqlite3_column_int(statement_, column);
}

QByteArrayView SqliteRows::utf8(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return bytes ? QByteArrayView(bytes, sqlite3_column_bytes(statement_, column))
                 : QByteArrayView();
}

}  // namespace vlr::store
