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

ErrorKind kindOf(int code, ErrorKind otherwise) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ErrorKind::kInUse;
        case SQLITE_CORRUPT:
            return ErrorKind::kDamaged;
        case SQLITE_NOTADB:
            return ErrorKind::kNotAModule;
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
            return ErrorKind::kNoAccess;
        default:
            return otherwise;
    }
}

Error lastError(sqlite3* db, ErrorKind otherwise) {
    return Error(db ? kindOf(sqlite3_errcode(db), otherwise) : otherwise, describe(db));
}

}  // namespace vexlor::modules::engine
