#include "modules/schema_guard.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "modules/engine.h"
#include "modules/module_format.h"
#include "text/text.h"

namespace vexlor::modules::schema {

using engine::problemOf;
using engine::setError;

namespace {

bool isModuleTable(std::string_view name) {
    return std::any_of(kModuleTables.begin(), kModuleTables.end(), [&](const TableFormat& table) {
        return text::equalsIgnoringCase(name, table.name);
    });
}

// Whether the rows of an ordinary table can be addressed by row id: a table declared without
// row ids has none (unless columns of its own take all three names).
bool hasRowIds(sqlite3* db, const std::string& table, int* code) {
    sqlite3_stmt* statement = nullptr;
    const std::string sql =
        "SELECT rowid, _rowid_, oid FROM " + ModuleDatabase::quoteIdentifier(table) + " LIMIT 0;";
    *code = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    sqlite3_finalize(statement);
    return *code == SQLITE_OK;
}

}  // namespace

int authorize(void*, int action, const char* first, const char* second, const char*,
              const char* insideViewOrTrigger) {
    if (insideViewOrTrigger) return SQLITE_DENY;
    const std::string_view a = first ? first : "";
    const std::string_view b = second ? second : "";
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
            return SQLITE_OK;
        case SQLITE_READ:
            return isModuleTable(a) || text::equalsIgnoringCase(a, "sqlite_master") ? SQLITE_OK
                                                                                    : SQLITE_DENY;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            return isModuleTable(a) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_PRAGMA:
            for (const char* allowed : {"table_info", "integrity_check", "quick_check"})
                if (text::equalsIgnoringCase(a, allowed)) return SQLITE_OK;
            // Reading the journal mode, never setting it.
            return text::equalsIgnoringCase(a, "journal_mode") && b.empty() ? SQLITE_OK
                                                                            : SQLITE_DENY;
        case SQLITE_FUNCTION:
            for (const char* allowed : {"count", "length", "typeof", "lower", "upper", "substr",
                                        "instr", "trim", "coalesce", "ifnull", "max", "min", "abs"})
                if (text::equalsIgnoringCase(b, allowed)) return SQLITE_OK;
            return SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

// The schema's own fields decide, not the text of its statements: views and virtual tables own
// no pages.
OpenProblem checkLayout(sqlite3* db, std::string* error) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, rootpage FROM sqlite_master;", -1, &statement,
                           nullptr) != SQLITE_OK) {
        setError(error, db);
        return problemOf(sqlite3_errcode(db));
    }
    std::string why;
    std::vector<std::string> tables;
    int step;
    while (why.empty() && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* typeText = sqlite3_column_text(statement, 0);
        const auto* nameText = sqlite3_column_text(statement, 1);
        const std::string type = typeText ? reinterpret_cast<const char*>(typeText) : "";
        const std::string name = nameText ? reinterpret_cast<const char*>(nameText) : "";
        if (type == "trigger") {
            why = "it defines a trigger (" + name + ")";
        } else if (isModuleTable(name) && type != "table") {
            why = name + " is a " + type + ", not a table";
        } else if (isModuleTable(name) && sqlite3_column_int64(statement, 2) <= 0) {
            why = name + " is a virtual table";
        } else if (isModuleTable(name)) {
            tables.push_back(name);
        }
    }
    const bool failed = why.empty() && step != SQLITE_DONE;
    const int code = sqlite3_errcode(db);
    if (failed) setError(error, db);
    sqlite3_finalize(statement);
    if (failed) return problemOf(code);
    for (const auto& table : tables) {
        if (!why.empty()) break;
        int prepared = SQLITE_OK;
        if (hasRowIds(db, table, &prepared)) continue;
        if (prepared != SQLITE_ERROR) {
            setError(error, db);
            return problemOf(prepared);
        }
        why = table + " is a table without row ids";
    }
    if (why.empty()) return OpenProblem::kNone;
    if (error) *error = "not a module: " + why;
    return OpenProblem::kUnsafeLayout;
}

}  // namespace vexlor::modules::schema
