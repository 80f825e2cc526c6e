#pragma once

namespace vexlor::platform {

/// A calendar day.
struct Date {
    int year = 2000;
    int month = 1;  ///< 1..12
    int day = 1;    ///< 1..31
};

/// Time of day and today's date.
class Clock {
  public:
    virtual ~Clock() = default;
    /// Seconds since local midnight, with fraction.
    virtual double secondsSinceMidnight() const = 0;
    /// Today's local date.
    virtual Date today() const = 0;
};

/// The system clock.
class SystemClock final : public Clock {
  public:
    double secondsSinceMidnight() const override;
    Date today() const override;
};

}  // namespace vexlor::platform
