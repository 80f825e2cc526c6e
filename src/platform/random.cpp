#include "platform/random.h"

#include <bit>

namespace vexlor::platform {

namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

void MixingRandom::reseed(double value) {
    // Hashing the old state together with the value keeps the sequence going: the same
    // value twice in a row still moves the state on.
    state_ = mix(state_ + kGolden + mix(std::bit_cast<std::uint64_t>(value)));
}

float MixingRandom::next() {
    state_ += kGolden;
    const std::uint64_t top24 = mix(state_) >> 40;
    return static_cast<float>(top24) / static_cast<float>(1U << 24);
}

}  // namespace vexlor::platform
