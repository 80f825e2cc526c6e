#pragma once

// The checks made on a module's path, and on the files the engine would open beside it,
// before the engine sees any of them.

#include <sys/stat.h>

#include <string>

#include "modules/module_database.h"

namespace vexlor::modules::files {

/// Whether there is a readable regular file at the path.
Status checkPath(const std::string& path, struct stat& info);
/// checkPath, then the side files: a journal, log or shared-memory file that is not a plain
/// file, a write-ahead log, a journal of another file, or (for reading) a journal of an
/// interrupted write. Success when the file may be opened.
Status checkFile(const std::string& path, Access access, struct stat& info);

}  // namespace vexlor::modules::files
