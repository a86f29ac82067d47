#include "docs/export_rows.h"

#include "store/statements.h"
#include "store/store_error.h"

namespace vlr::docs {
namespace {

store::Query printQuery(const store::Database& database, int fileNameId,
                        const store::Statement& search) {
    store::Query print(database, store::printStatementFor(search));
    print.set(QStringLiteral("PFileNameId"), fileNameId);
    return print;
}

}  // namespace

ExportRows::ExportRows(const store::Database& database, int fileNameId, const DocumentKind& kind,
                       const store::Statement& search)
    : print_(printQuery(database, fileNameId, search)), rows_(database, print_) {
    for (const ExportColumn& column : kind.columns) {
        const int index = rows_.columnIndex(column.field);
        if (index < 0)
            throw store::StoreError(QStringLiteral("the rows have no field ") + column.field);
        fields_.push_back(index);
    }
}

}  // namespace vlr::docs
