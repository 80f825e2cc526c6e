#include "modules/engine.h"

#include "text/i18n.h"

namespace vexlor::modules::engine {

std::string describe(sqlite3* db) {
    if (!db) return i18n::tx("out of memory");
    switch (sqlite3_errcode(db)) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return i18n::tx("the module is in use by another program (it stays locked)");
        case SQLITE_READONLY:
            return i18n::tx("the module cannot be written (the file is read-only)");
        case SQLITE_FULL:
            return i18n::tx("the disk is full");
        case SQLITE_CORRUPT:
            // TRANSLATORS: %1 is the database engine's own words, in English.
            return i18n::fill(i18n::tx("the module is damaged (%1)"), {sqlite3_errmsg(db)});
        case SQLITE_NOTADB:
            return i18n::tx("not a module: it cannot be read with the module key");
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
