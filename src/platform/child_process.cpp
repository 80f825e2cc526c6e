#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>

#include "platform/descriptor.h"

namespace vexlor::platform {

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer reserves terabytes of address space for its shadow memory.
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

// The child's status once it ended, or nothing when it still runs at the deadline.
std::optional<int> waitUntil(pid_t child, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) return status;
        if (ended < 0 && errno != EINTR) return 0;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        ::usleep(5000);
    }
}

}  // namespace

ChildOutcome runChild(const std::string& program, const std::vector<std::string>& arguments,
                      const ChildLimits& limits) {
    ChildOutcome outcome;
    // Everything the child needs is made before the fork: after it, in a program with threads,
    // the child may only call what is safe in a signal handler.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const Descriptor nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    int ends[2];
    if (!nothing || ::pipe2(ends, O_CLOEXEC) != 0) return outcome;
    Descriptor reading(ends[0]), writing(ends[1]);
    const rlim_t memory = static_cast<rlim_t>(limits.memoryBytes);
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(limits.time).count() + 1;
    const rlim_t cpu = static_cast<rlim_t>(seconds);

    const pid_t child = ::fork();
    if (child < 0) return outcome;
    if (child == 0) {
        ::dup2(nothing.get(), 0);
        ::dup2(writing.get(), 1);
        ::dup2(writing.get(), 2);
        const rlimit none{0, 0}, time{cpu, cpu}, space{memory, memory};
        ::setrlimit(RLIMIT_CORE, &none);
        ::setrlimit(RLIMIT_CPU, &time);
        if (kLimitAddressSpace) ::setrlimit(RLIMIT_AS, &space);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    writing = Descriptor();
    ::fcntl(reading.get(), F_SETFL, O_NONBLOCK);

    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    std::array<char, 8192> buffer{};
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd wait{reading.get(), POLLIN, 0};
        const int ready =
            ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t got = ::read(reading.get(), buffer.data(), buffer.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) break;  // every writer closed its end: the child is ending
        const std::size_t room =
            limits.outputBytes - std::min(limits.outputBytes, outcome.output.size());
        outcome.output.append(buffer.data(), std::min(room, static_cast<std::size_t>(got)));
    }
    // A child may close its output and go on running.
    std::optional<int> ended = timedOut ? std::nullopt : waitUntil(child, deadline);
    if (!ended) {
        timedOut = true;
        ::kill(child, SIGKILL);
        ended = waitUntil(child, std::chrono::steady_clock::time_point::max());
    }
    const int status = *ended;
    if (timedOut) {
        outcome.end = ChildOutcome::End::kTimedOut;
    } else if (WIFEXITED(status)) {
        outcome.end = WEXITSTATUS(status) == 127 ? ChildOutcome::End::kNotStarted
                                                 : ChildOutcome::End::kExited;
        outcome.code = WEXITSTATUS(status);
    } else {
        outcome.end = ChildOutcome::End::kSignalled;
        outcome.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return outcome;
}

}  // namespace vexlor::platform
