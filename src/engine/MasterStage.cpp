#include "engine/MasterStage.h"

#include "engine/MasterLimiter.h"

#include <algorithm>

namespace tc {

void masterStage(MasterLimiter &limiter, float *left, float *right, size_t frames, float *gains) noexcept {
    limiter.process(left, right, frames, gains);
    finishStage(left, right, frames);
}

void finishStage(float *left, float *right, size_t frames) noexcept {
    auto finish = [](float sample) {
        if (sample != sample) { // NaN
            return 0.0f;
        }
        return std::clamp(sample, -1.0f, 1.0f);
    };
    for (size_t i = 0; i < frames; ++i) {
        left[i] = finish(left[i]);
        right[i] = finish(right[i]);
    }
}

} // namespace tc
