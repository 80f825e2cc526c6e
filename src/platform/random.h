#pragma once

#include <cstdint>

namespace vexlor::platform {

/// A seedable source of uniform numbers.
class Random {
  public:
    virtual ~Random() = default;
    /// Mixes a value (the time of day) into the state without restarting the sequence:
    /// re-seeding with an unchanged value does not repeat the previous draw.
    virtual void reseed(double value) = 0;
    /// A number uniform in [0, 1) with 24-bit resolution.
    virtual float next() = 0;
};

/// A small 64-bit mixing generator (splitmix64 steps).
class MixingRandom final : public Random {
  public:
    explicit MixingRandom(std::uint64_t seed) : state_(seed) {}
    void reseed(double value) override;
    float next() override;

  private:
    std::uint64_t state_;
};

}  // namespace vexlor::platform
