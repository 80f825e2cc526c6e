#include "modules/transaction.h"

#include <sqlite3.h>

#include "modules/module_database.h"

namespace vexlor::modules {

Transaction::Transaction(ModuleDatabase& database, std::string* error) : database_(database) {
    nested_ = sqlite3_get_autocommit(database_.handle()) == 0;
    // IMMEDIATE takes the write lock at once, so a busy module fails here and not half-way.
    active_ = database_.execute(nested_ ? "SAVEPOINT vexlor_write;" : "BEGIN IMMEDIATE;", error);
}

Transaction::~Transaction() {
    if (active_) rollback();
}

bool Transaction::commit(std::string* error) {
    if (!active_) {
        if (error && error->empty()) *error = "no transaction";
        return false;
    }
    if (!database_.execute(nested_ ? "RELEASE vexlor_write;" : "COMMIT;", error)) {
        rollback();
        return false;
    }
    active_ = false;
    return true;
}

void Transaction::rollback() {
    active_ = false;
    if (nested_) {
        database_.execute("ROLLBACK TO vexlor_write; RELEASE vexlor_write;");
    } else if (sqlite3_get_autocommit(database_.handle()) == 0) {
        database_.execute("ROLLBACK;");
    }
}

}  // namespace vexlor::modules
