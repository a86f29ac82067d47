#pragma once

namespace vlr::store {

class Database;

// One transaction on the database's connection, whatever its engine.

// Starts it; throws StoreError when it cannot.
void beginTransaction(const Database& database);

// Whether the transaction is still open and whole. A failing statement may end it: SQLite rolls
// it back itself on some failures (a full disk), a server refuses everything after a failure up
// to the rollback. The statements after such a failure would otherwise each stand alone, or fail.
bool transactionIntact(const Database& database);

// Commits it; when it is no longer whole, or the commit fails, rolls back and throws StoreError.
void commitTransaction(const Database& database);

// Rolls it back, quietly: the caller is already reporting a failure.
void rollbackTransaction(const Database& database);

}  // namespace vlr::store
