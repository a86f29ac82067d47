#pragma once

#include <QSqlQuery>

#include <optional>

namespace vlr::store {

class Database;
class Query;

// One transaction on the database's connection, whatever its engine.

// Starts it (reconnecting to a server that went away first); throws StoreError when it cannot,
// as when one is open already on the connection.
void beginTransaction(const Database& database);

// Whether the transaction is still open and whole. A failing statement may end it: SQLite rolls
// it back itself on some failures (a full disk), a server refuses everything after a failure up
// to the rollback. The statements after such a failure would otherwise each stand alone, or fail.
bool transactionIntact(const Database& database);

// Commits it; when it is no longer whole, or the commit fails, rolls back and throws StoreError.
void commitTransaction(const Database& database);

// Rolls it back, quietly: the caller is already reporting a failure.
void rollbackTransaction(const Database& database);

// A transaction whose statements run as steps. On the file a step that fails is undone alone,
// through a savepoint, and the steps before it stay; when the failure has ended the whole
// transaction (a full disk), the step throws instead of letting the steps after it commit one by
// one. On a server a failing step ends the transaction and throws: a savepoint per step would
// cost two more round trips for each of thousands of rows, and a step fails there only as the
// whole transaction would (a lost server), or for a value no instrument sends. Destroyed without
// a commit, it rolls back.
class Transaction {
public:
    explicit Transaction(const Database& database);  // throws StoreError
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Runs the statement as one step: the rows it affected, or nothing when it failed and was
    // undone alone. Throws StoreError when the transaction is lost.
    std::optional<int> step(Query& query);
    // Throws StoreError when the commit fails; the transaction is then rolled back.
    void commit();

private:
    void run(QSqlQuery& query);

    const Database& database_;
    bool open_ = false;
    std::optional<QSqlQuery> savepoint_;
    std::optional<QSqlQuery> release_;
    std::optional<QSqlQuery> rollbackToSavepoint_;
};

}  // namespace vlr::store
