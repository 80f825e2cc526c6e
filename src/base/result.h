#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <variant>

namespace vexlor {

/// What kind of failure an error is: callers that answer differently to different failures (the
/// game's messages about a module that cannot be opened) tell them apart by kind, never by text.
enum class ErrorKind {
    kFailed,          ///< any other failure: the message says what
    kNoFile,          ///< nothing at the path, or a link to nothing
    kNotAFile,        ///< a folder, a pipe, a device
    kNoAccess,        ///< the file cannot be read (or, for writing, written)
    kInUse,           ///< another program holds the file locked
    kNotAModule,      ///< not a database, or one with another key
    kDamaged,         ///< the key opens it, but its pages are malformed
    kNeedsRecovery,   ///< a journal of an interrupted write lies beside it (read-only opens)
    kForeignJournal,  ///< a journal or log beside it that does not belong to it
    kUnsafeLayout,    ///< views, triggers or virtual tables where the module's tables belong
    kChanged,         ///< another program changed what was read since, so it is not written over
    kExists,          ///< something is at the name a new file was to take
};

/// Why something failed: its kind, a sentence for the user, and the file (and the line in it) it
/// concerns. The sentence never names the file: whoever shows the error puts the two together.
class Error {
  public:
    Error(std::string message) : message_(std::move(message)) {}
    Error(const char* message) : message_(message) {}
    Error(ErrorKind kind, std::string message, std::string file = {}, int line = 0)
        : kind_(kind), message_(std::move(message)), file_(std::move(file)), line_(line) {}

    ErrorKind kind() const { return kind_; }
    /// The sentence, without the file.
    const std::string& message() const { return message_; }
    const std::string& file() const { return file_; }
    /// The line of the file, counted from 1; 0 when the error concerns no line.
    int line() const { return line_; }
    /// The whole line for the user: "file:line: sentence", "file: sentence", or the sentence
    /// alone.
    std::string what() const {
        if (file_.empty()) return message_;
        if (line_ > 0) return file_ + ":" + std::to_string(line_) + ": " + message_;
        return file_ + ": " + message_;
    }

    /// The same error, about `file`.
    Error about(std::string file) const { return Error(kind_, message_, std::move(file), line_); }

  private:
    ErrorKind kind_ = ErrorKind::kFailed;
    std::string message_;
    std::string file_;
    int line_ = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Error& error) {
    return out << error.what();
}

/// A value or the error that stopped it. Failures are returned, never thrown.
template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, Error> state_;
};

/// Success, or the error that stopped an operation that gives nothing back.
class [[nodiscard]] Status {
  public:
    static Status success() { return Status(); }
    Status(Error error) : error_(std::move(error)), failed_(true) {}
    /// The outcome of an operation that gives a value, without the value.
    template <typename T>
    Status(const Result<T>& result) : failed_(!result.ok()) {
        if (failed_) error_ = result.error();
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return error_; }

  private:
    Status() = default;
    Error error_{""};
    bool failed_ = false;
};

/// Drops the outcome of a step whose failure changes nothing for the caller. `why` is there for
/// the reader: every dropped failure says why it may be dropped.
template <typename Outcome>
inline void ignoreFailure(const Outcome& /*outcome*/, const char* /*why*/) {}

}  // namespace vexlor
