#pragma once

#include <cstddef>
#include <cstdint>

namespace tc {

// A small, fast pseudo-random generator (PCG32) for choices that only need to sound varied: pitch changes and
// random picks from a sound pool. Not thread-safe: each owner keeps its own and uses it on one thread.
// Never locks or allocates.
class FastRandom {
public:
    explicit FastRandom(std::uint64_t seed) : state_(0), increment_((seed << 1u) | 1u) {
        next();
        state_ += seed;
        next();
    }

    std::uint32_t next() {
        const std::uint64_t old = state_;
        state_ = old * 6364136223846793005ULL + increment_;
        const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rotation = static_cast<std::uint32_t>(old >> 59u);
        return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
    }

    // Uniform in the closed range [low, high].
    float uniform(float low, float high) {
        constexpr float kScale = 1.0f / 16777215.0f; // 2^24 - 1: the top 24 bits map onto [0, 1] exactly
        return low + (high - low) * static_cast<float>(next() >> 8u) * kScale;
    }

    // Uniform in [0, count); count must be at least 1. The bias of the multiply-shift reduction is below
    // count / 2^32, far under anything a listener could notice.
    std::size_t below(std::size_t count) {
        return static_cast<std::size_t>((static_cast<std::uint64_t>(next()) * count) >> 32u);
    }

private:
    std::uint64_t state_;
    std::uint64_t increment_;
};

} // namespace tc
