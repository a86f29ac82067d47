#include "store/transaction.h"

#include "store/database.h"
#include "store/query.h"
#include "store/store_error.h"

#include <QSqlError>

namespace vlr::store {
namespace {

QSqlQuery prepared(const QSqlDatabase& connection, const QString& text) {
    QSqlQuery query(connection);
    if (!query.prepare(text))
        throw StoreError(query.lastError().text());
    return query;
}

}  // namespace

Transaction::Transaction(const Database& database)
    : connection_(database.connection()),
      savepoint_(prepared(connection_, QStringLiteral("SAVEPOINT vlr_step"))),
      release_(prepared(connection_, QStringLiteral("RELEASE SAVEPOINT vlr_step"))),
      rollbackToSavepoint_(
          prepared(connection_, QStringLiteral("ROLLBACK TO SAVEPOINT vlr_step"))) {
    if (!connection_.transaction())
        throw StoreError(connection_.lastError().text());
    open_ = true;
}

Transaction::~Transaction() {
    if (open_)
        connection_.rollback();
}

void Transaction::run(QSqlQuery& query) {
    const bool ran = query.exec();
    query.finish();
    if (!ran)
        throw StoreError(query.lastError().text());
}

std::optional<int> Transaction::step(Query& query) {
    run(savepoint_);
    std::optional<int> affected;
    try {
        affected = query.exec();
    } catch (const StoreError&) {
        // Without its savepoint the transaction is gone: nothing after this may commit alone.
        try {
            run(rollbackToSavepoint_);
        } catch (const StoreError&) {
            connection_.rollback();
            open_ = false;
            throw StoreError(QStringLiteral("the transaction was rolled back"));
        }
    }
    run(release_);
    return affected;
}

void Transaction::commit() {
    open_ = false;
    if (!connection_.commit()) {
        const QString message = connection_.lastError().text();
        connection_.rollback();
        throw StoreError(message);
    }
}

}  // namespace vlr::store
