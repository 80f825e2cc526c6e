#include "platform/timer.h"

#include <algorithm>

namespace vexlor::platform {

void Timer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (driver_ == nullptr) return;
    if (on) {
        driver_->armed(*this);
    } else {
        driver_->disarmed(*this);
    }
}

void Timer::tick() {
    if (!handler_ || running_) return;
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    handler_();
}

void Timer::attach(TimerDriver* driver) {
    if (driver_ != nullptr && enabled_) driver_->disarmed(*this);
    driver_ = driver;
    if (driver_ != nullptr && enabled_) driver_->armed(*this);
}

void VirtualTimerDriver::armed(Timer& timer) {
    disarmed(timer);
    // A zero interval never ticks, as with a window timer.
    if (timer.Interval <= 0) return;
    armed_.push_back(Armed{&timer, now_ + timer.Interval, nextOrder_++});
}

void VirtualTimerDriver::disarmed(Timer& timer) {
    std::erase_if(armed_, [&](const Armed& a) { return a.timer == &timer; });
}

bool VirtualTimerDriver::isArmed(const Timer& timer) const {
    return std::any_of(armed_.begin(), armed_.end(),
                       [&](const Armed& a) { return a.timer == &timer; });
}

void VirtualTimerDriver::advance(std::int64_t ms) {
    const std::int64_t target = now_ + ms;
    for (;;) {
        auto next =
            std::min_element(armed_.begin(), armed_.end(), [](const Armed& a, const Armed& b) {
                return a.due != b.due ? a.due < b.due : a.order < b.order;
            });
        if (next == armed_.end() || next->due > target) break;
        now_ = next->due;
        next->due += next->timer->Interval;
        // The handler may arm or disarm timers, so nothing of armed_ is held across it.
        Timer* timer = next->timer;
        timer->tick();
    }
    now_ = std::max(now_, target);
}

}  // namespace vexlor::platform
