#include "modules/transaction.h"

#include <sqlite3.h>

#include "modules/module_database.h"

namespace vexlor::modules {

Transaction::Transaction(ModuleDatabase& database) : database_(database) {
    nested_ = sqlite3_get_autocommit(database_.handle()) == 0;
    // IMMEDIATE takes the write lock at once, so a busy module fails here and not half-way.
    begun_ = database_.execute(nested_ ? "SAVEPOINT vexlor_write;" : "BEGIN IMMEDIATE;");
    active_ = begun_.ok();
    if (active_ && !nested_) database_.transactionBegan();
}

Transaction::~Transaction() {
    if (active_) rollback();
}

Status Transaction::commit() {
    if (!active_) return begun_.ok() ? Status(Error("no transaction")) : begun_;
    Status committed = database_.execute(nested_ ? "RELEASE vexlor_write;" : "COMMIT;");
    if (!committed) {
        rollback();
        return committed;
    }
    active_ = false;
    if (!nested_) database_.transactionEnded();
    return committed;
}

void Transaction::rollback() {
    active_ = false;
    database_.transactionRolledBack();
    if (!nested_) database_.transactionEnded();
    if (nested_) {
        ignoreFailure(database_.execute("ROLLBACK TO vexlor_write; RELEASE vexlor_write;"),
                      "the engine undoes the savepoint's writes itself when it cannot");
    } else if (sqlite3_get_autocommit(database_.handle()) == 0) {
        ignoreFailure(database_.execute("ROLLBACK;"),
                      "a failed rollback leaves the transaction to the engine's own recovery");
    }
}

ReadTransaction::ReadTransaction(ModuleDatabase& database) : database_(database) {
    const bool outermost = sqlite3_get_autocommit(database_.handle()) != 0;
    began_ = outermost && database_.execute("BEGIN;").ok();
    active_ = began_ || !outermost;
}

ReadTransaction::~ReadTransaction() {
    if (began_)
        ignoreFailure(database_.execute("COMMIT;"), "a read transaction has nothing to keep");
}

}  // namespace vexlor::modules
