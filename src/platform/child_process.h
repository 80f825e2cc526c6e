#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexlor::platform {

/// What a child process may use before it is stopped.
struct ChildLimits {
    std::chrono::milliseconds time{120'000};
    std::uint64_t memoryBytes = 2ull << 30;  ///< address space; not applied in sanitizer builds
    std::size_t outputBytes = 64 * 1024;     ///< kept of its output; the rest is read and dropped
};

/// How a child process ended.
struct ChildOutcome {
    enum class End { kExited, kSignalled, kTimedOut, kNotStarted };
    End end = End::kNotStarted;
    int code = 0;        ///< the exit status, or the signal that ended it
    std::string output;  ///< its standard output and error, as far as the limit
};

/// Runs `program` with `arguments` (without the program's own name) and waits for it within the
/// limits, with its standard input empty. A child that runs past its time is killed. Throws
/// nothing.
ChildOutcome runChild(const std::string& program, const std::vector<std::string>& arguments,
                      const ChildLimits& limits = {});

}  // namespace vexlor::platform
