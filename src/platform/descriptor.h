#pragma once

#include <unistd.h>

#include <utility>

namespace vexlor::platform {

/// An open file descriptor, closed when it goes out of scope. Closing any descriptor of a file
/// drops every lock the database library holds on it in this process, so one is closed only
/// when the library holds none.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    /// Gives up the descriptor, to be closed by whoever takes it.
    int release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_;
};

}  // namespace vexlor::platform
