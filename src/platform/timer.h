#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexlor::platform {

class TimerDriver;

/// A window timer: state only. While enabled it ticks every `Interval` milliseconds; a driver
/// does the waiting. Switching it on when it is off starts the interval afresh.
class Timer {
  public:
    Timer(std::string name, int interval) : name_(std::move(name)), Interval(interval) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);

    /// The routine run on each tick.
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    /// Runs the handler once (the driver calls this). A tick that comes while the handler is
    /// still running, waiting inside a modal window it opened, is dropped: each tick acts once.
    void tick();
    /// Whether the handler is running now.
    bool running() const { return running_; }

    /// Hands the timer to a driver; an enabled timer is armed at once.
    void attach(TimerDriver* driver);

  private:
    std::string name_;
    bool enabled_ = false;
    bool running_ = false;
    std::function<void()> handler_;
    TimerDriver* driver_ = nullptr;

  public:
    int Interval;  ///< milliseconds; set at creation and not changed by the game
};

/// Waits for enabled timers and ticks them.
class TimerDriver {
  public:
    virtual ~TimerDriver() = default;
    virtual void armed(Timer& timer) = 0;
    virtual void disarmed(Timer& timer) = 0;
};

/// Virtual time for tests: `advance` fires every due tick in time order, ties in arming order.
class VirtualTimerDriver final : public TimerDriver {
  public:
    void armed(Timer& timer) override;
    void disarmed(Timer& timer) override;

    /// Moves virtual time on by `ms` milliseconds, ticking every timer that falls due. A
    /// handler may advance time itself (a modal window kept open for a while); time never
    /// goes back when it returns.
    void advance(std::int64_t ms);
    /// Milliseconds of virtual time since the driver was made.
    std::int64_t now() const { return now_; }
    bool isArmed(const Timer& timer) const;

  private:
    struct Armed {
        Timer* timer;
        std::int64_t due;
        std::uint64_t order;
    };
    std::vector<Armed> armed_;
    std::int64_t now_ = 0;
    std::uint64_t nextOrder_ = 0;
};

}  // namespace vexlor::platform
