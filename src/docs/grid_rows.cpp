#include "docs/grid_rows.h"

#include "docs/record_values.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/row_cursor.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QRegularExpression>

namespace vlr::docs {
namespace {

// The row set selecting only the given fields, in its own order: the database then hands over
// records of the grid's dozen fields instead of all forty-five.
store::Statement narrowedToFields(store::Statement search, const QStringList& fields) {
    const QStringList known = store::dataColumnNames();
    QStringList columns;
    for (const QString& field : fields) {
        // Only names of the record row's columns reach the text; anything else is left to fail
        // below.
        if (!known.contains(field, Qt::CaseInsensitive))
            return search;
        columns << QLatin1Char('[') + field + QLatin1Char(']');
    }
    static const QRegularExpression selectAll(
        QStringLiteral("^select \\*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    search.text.replace(selectAll, QStringLiteral("select ") + columns.join(QStringLiteral(", ")));
    return search;
}

}  // namespace

GridRows readReceivedRows(const store::Database& database, int deviceListId, int archive,
                          const QStringList& fields) {
    store::Query query(database, narrowedToFields(store::ADOQuery_CommSearch(), fields));
    query.set(QStringLiteral("PDeviceListId"), deviceListId)
        .set(QStringLiteral("PDeviceNArc"), archive);
    store::RowCursor rows(database, query);
    std::vector<FieldReader> readers;
    for (const QString& field : fields) {
        const int column = rows.columnIndex(field);
        if (column < 0)
            throw store::StoreError(QStringLiteral("the rows have no field %1").arg(field));
        readers.emplace_back(field, column, NumberStorage::Single);
    }
    GridRows result{fields, {}};
    while (rows.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (FieldReader& reader : readers)
            row.append(reader.read(rows));
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace vlr::docs
