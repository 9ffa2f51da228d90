#pragma once

#include <cstddef>

namespace tc {

// The master stage's limiter: keeps the sum of overlapping voices under full scale without cutting it hard.
//
// A gain follows the louder channel's peak: when a frame's peak goes over kThreshold the gain heads for the
// value that brings it down to kThreshold, within about kAttackSeconds, and returns towards 1 over about
// kReleaseSeconds once the sum is quieter; it never jumps. There is no look-ahead (it would delay every sound),
// so while the gain is still coming down at an onset a soft knee above kThreshold bends what is left towards
// kCeiling, which no sample reaches. A frame whose peak stays at or under kThreshold while the gain is 1 passes
// unchanged, bit for bit: one voice at its normal level is never touched (the sound library makes no sound
// louder than 0.95).
//
// State: the gain, carried from one call to the next. An output that writes over frames it queued before keeps
// the gain each frame left behind and starts again from the gain before the first frame it rewrites
// (OutputQueue). Audio thread or offline; allocates, locks and logs nothing. A sample that is not a number or is
// infinite counts as silence. The master stage (MasterStage.h) runs the limiter, then the finish stage.
class MasterLimiter {
public:
    static constexpr float kThreshold = 0.95f;
    static constexpr float kCeiling = 0.99f;
    static constexpr double kAttackSeconds = 0.0005;
    static constexpr double kReleaseSeconds = 0.08;

    // Limits both channels in place, frame by frame, from the gain left by the last call. When `gains` is not
    // null it receives the gain after each frame (`frames` floats).
    void process(float *left, float *right, size_t frames, float *gains = nullptr) noexcept;

    // The gain now: 1 while nothing was too loud lately, less while the limiter holds the sum down.
    float gain() const { return gain_; }
    // Starts again from this gain (1: as made).
    void setGain(float gain) { gain_ = gain; }

    // The soft knee alone: the identity up to kThreshold, then a smooth bend (its slope is 1 at the knee and
    // falls towards 0) that approaches kCeiling and never reaches it. Odd: the sign is kept.
    static float softKnee(float sample) noexcept;

private:
    float gain_ = 1.0f;
};

} // namespace tc
