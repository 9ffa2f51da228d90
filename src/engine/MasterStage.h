#pragma once

#include <cstddef>

namespace tc {

class MasterLimiter;

// The last stages every sound the program hands to an output passes, whichever way it was mixed (the mixer's
// render, or an output's queue that rewrites frames it queued before): the limiter brings the sum of the voices
// under full scale, then the finish stage is the last guard. Audio thread or offline; allocates, locks and logs
// nothing.

// Limits both channels with `limiter`, which carries its gain from one call to the next, then finishStage().
// When `gains` is not null it receives the limiter's gain after each frame (`frames` floats).
void masterStage(MasterLimiter &limiter, float *left, float *right, size_t frames, float *gains = nullptr) noexcept;

// Clamps every sample to −1…1 and replaces NaN with 0.
void finishStage(float *left, float *right, size_t frames) noexcept;

} // namespace tc
