#pragma once

// What a module connection may do, and which schemas are refused before any row is read.

#include <sqlite3.h>

#include <string>

#include "modules/module_database.h"

namespace vexlor::modules::schema {

/// The authorizer of every module connection: plain reads and writes of the module's tables,
/// the schema and the few pragmas and functions the program uses; nothing inside a view or a
/// trigger, so a crafted schema cannot make a query do more than it says.
int authorize(void*, int action, const char* first, const char* second, const char*,
              const char* insideViewOrTrigger);

/// Refuses a schema where the module's tables are not ordinary tables with row ids, or with any
/// trigger. Reads only the schema, before any row of the module's tables is touched.
Status checkLayout(sqlite3* db);

}  // namespace vexlor::modules::schema
