#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vexlor::authoring {

/// Why something failed, as a line for the user.
struct Failure {
    std::string message;
};

/// A value or the reason there is none; the tool reports failures instead of throwing them.
template <typename T>
class Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const std::string& error() const { return std::get<1>(state_).message; }

  private:
    std::variant<T, Failure> state_;
};

/// Success or a failure, for operations that give nothing back.
class Status {
  public:
    static Status success() { return Status(); }
    Status(Failure failure) : failed_(true), message_(std::move(failure.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return message_; }

  private:
    Status() = default;
    bool failed_ = false;
    std::string message_;
};

}  // namespace vexlor::authoring
