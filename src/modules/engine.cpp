#include "modules/engine.h"

namespace vexlor::modules::engine {

std::string describe(sqlite3* db) {
    if (!db) return "out of memory";
    switch (sqlite3_errcode(db)) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "the module is in use by another program (it stays locked)";
        case SQLITE_READONLY:
            return "the module cannot be written (the file is read-only)";
        case SQLITE_FULL:
            return "the disk is full";
        case SQLITE_CORRUPT:
            return "the module is damaged (" + std::string(sqlite3_errmsg(db)) + ")";
        case SQLITE_NOTADB:
            return "not a module: it cannot be read with the module key";
        default:
            return sqlite3_errmsg(db);
    }
}

void setError(std::string* error, sqlite3* db) {
    if (error) *error = describe(db);
}

OpenProblem problemOf(int code) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return OpenProblem::kInUse;
        case SQLITE_CORRUPT:
            return OpenProblem::kDamaged;
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
            return OpenProblem::kNoAccess;
        default:
            return OpenProblem::kNotAModule;
    }
}

}  // namespace vexlor::modules::engine
