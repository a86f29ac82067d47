#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>

#include <optional>

namespace vlr::store {

class Database;
class Query;

// A transaction on the database's connection, made through the driver so that it works alike
// whatever database the connection reaches. Statements run in it as steps: a step that fails
// is undone alone, through a savepoint, and the steps before it stay; when the failure has
// ended the whole transaction (a full disk, an I/O error), the step throws instead of letting
// the steps after it commit one by one. Destroyed without a commit, it rolls back.
class Transaction {
public:
    explicit Transaction(const Database& database);  // throws StoreError, as inside another
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

    QSqlDatabase connection_;
    QSqlQuery savepoint_;
    QSqlQuery release_;
    QSqlQuery rollbackToSavepoint_;
    bool open_ = false;
};

}  // namespace vlr::store
