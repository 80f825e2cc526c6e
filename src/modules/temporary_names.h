#pragma once

#include <filesystem>
#include <string>

namespace vexlor::modules {

/// When a process began, in clock ticks after boot: with the pid it names one process, even
/// after the pid is reused. Empty when the process is gone (or there is no process table).
std::string processStart(long pid);

/// A name for a module under construction: hidden, beside `out`, unique to this run, and naming
/// the tool, this process and its start, so the sweep of leftovers (authoring's
/// removeStaleTemporaries) can tell it apart from anything a user or another program keeps
/// there: ".NAME.vexlor-module-PID-START-N.vxm.tmp".
std::filesystem::path temporaryModulePath(const std::filesystem::path& out);

}  // namespace vexlor::modules
