#include "engine/MasterLimiter.h"

#include "engine/AudioBuffer.h"

#include <algorithm>
#include <cmath>

namespace tc {

namespace {

// Per-frame factors of the gain's one-pole approach to its target.
const float kAttack = static_cast<float>(std::exp(-1.0 / (MasterLimiter::kAttackSeconds * AudioBuffer::kSampleRate)));
const float kRelease = static_cast<float>(std::exp(-1.0 / (MasterLimiter::kReleaseSeconds * AudioBuffer::kSampleRate)));
// Once nothing is too loud the gain heads a little past 1 and stops at 1, so that it gets there in a finite time
// (an approach to 1 itself would stall a few steps short of it in float) and frames pass unchanged again.
constexpr float kReleaseAim = 1.001f;

// A sample that is not a number or infinite is broken data: it counts as silence.
float finite(float sample) noexcept {
    return std::isfinite(sample) ? sample : 0.0f;
}

} // namespace

float MasterLimiter::softKnee(float sample) noexcept {
    const float magnitude = std::fabs(sample);
    if (!(magnitude > kThreshold)) {
        return sample;
    }
    constexpr float room = kCeiling - kThreshold;
    const float bent = kThreshold + room * std::tanh((magnitude - kThreshold) / room);
    return std::copysign(bent, sample);
}

void MasterLimiter::process(float *left, float *right, size_t frames, float *gains) noexcept {
    float gain = gain_;
    for (size_t i = 0; i < frames; ++i) {
        float l = left[i];
        float r = right[i];
        if (gain == 1.0f && std::fabs(l) <= kThreshold && std::fabs(r) <= kThreshold) {
            // Nothing to do (the usual case): the frame passes as it is.
            if (gains) {
                gains[i] = 1.0f;
            }
            continue;
        }
        l = finite(l);
        r = finite(r);
        const float peak = std::max(std::fabs(l), std::fabs(r));
        if (peak > kThreshold && kThreshold / peak < gain) {
            const float target = kThreshold / peak;
            gain = target + (gain - target) * kAttack;
        } else {
            const float target = peak > kThreshold ? kThreshold / peak : kReleaseAim;
            gain = std::min(1.0f, target + (gain - target) * kRelease);
        }
        left[i] = softKnee(l * gain);
        right[i] = softKnee(r * gain);
        if (gains) {
            gains[i] = gain;
        }
    }
    gain_ = gain;
}

} // namespace tc
