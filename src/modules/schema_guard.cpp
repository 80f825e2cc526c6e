#include "modules/schema_guard.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "modules/engine.h"
#include "modules/module_format.h"
#include "modules/module_sql.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::modules::schema {

using engine::describe;
using engine::kindOf;
using engine::lastError;

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
            // Reading the journal mode and the data version, never setting them.
            for (const char* readable : {"journal_mode", "data_version"})
                if (text::equalsIgnoringCase(a, readable) && b.empty()) return SQLITE_OK;
            return SQLITE_DENY;
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
Status checkLayout(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql::kSchema.data(), -1, &statement, nullptr) != SQLITE_OK)
        return lastError(db, ErrorKind::kNotAModule);
    std::string why;
    std::vector<std::string> tables;
    int step;
    while (why.empty() && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* typeText = sqlite3_column_text(statement, 0);
        const auto* nameText = sqlite3_column_text(statement, 1);
        const std::string type = typeText ? reinterpret_cast<const char*>(typeText) : "";
        const std::string name = nameText ? reinterpret_cast<const char*>(nameText) : "";
        if (type == "trigger") {
            why = i18n::fill(i18n::tx("it defines a trigger (%1)"), {name});
        } else if (isModuleTable(name) && type != "table") {
            // TRANSLATORS: %2 is the engine's word for what it is ("view", "index").
            why = i18n::fill(i18n::tx("%1 is a %2, not a table"), {name, type});
        } else if (isModuleTable(name) && sqlite3_column_int64(statement, 2) <= 0) {
            why = i18n::fill(i18n::tx("%1 is a virtual table"), {name});
        } else if (isModuleTable(name)) {
            tables.push_back(name);
        }
    }
    const bool failed = why.empty() && step != SQLITE_DONE;
    const Error stepError = lastError(db, ErrorKind::kNotAModule);
    sqlite3_finalize(statement);
    if (failed) return stepError;
    for (const auto& table : tables) {
        if (!why.empty()) break;
        int prepared = SQLITE_OK;
        if (hasRowIds(db, table, &prepared)) continue;
        if (prepared != SQLITE_ERROR)
            return Error(kindOf(prepared, ErrorKind::kNotAModule), describe(db));
        why = i18n::fill(i18n::tx("%1 is a table without row ids"), {table});
    }
    if (why.empty()) return Status::success();
    return Error(ErrorKind::kUnsafeLayout, why);
}

}  // namespace vexlor::modules::schema
