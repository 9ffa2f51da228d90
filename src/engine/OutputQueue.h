#pragma once

#include "engine/AudioOutput.h"
#include "engine/MasterLimiter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tc {

// What an output has written ahead of the sound being played, kept so that a new sound can start inside that
// queue instead of behind it. An output that keeps a long queue (few wake-ups while idle) appends every stretch
// it writes through append(); when the renderer has new sounds, placeNewSounds() starts them a chosen number of
// frames before the end of the queue, mixed into the frames already queued there, and hands those frames back
// for the output to write again over the same place (a stream that lets queued data be replaced, such as a
// PulseAudio stream with a negative seek).
//
// The queue runs the master stage itself: it keeps the sum of the voices before the limiter and the limiter's
// gain after every frame, so that frames written again are limited afresh from the gain before the first of
// them, as if the new sound had been there all along. What it hands out has passed the master and finish
// stages.
//
// Audio thread only (the output's). Allocates only when made; interleaved stereo frames in and out.
class OutputQueue {
public:
    // How far before the end of the queue a new sound can start: 8192 frames, 170 ms.
    static constexpr size_t kHistoryFrames = 8192;

    explicit OutputQueue(AudioRenderer &renderer);

    // Forgets everything written (a new stream).
    void reset() noexcept;
    // Frames appended since the last reset: the stream's write position.
    uint64_t written() const { return written_; }
    // The position just after the last frame written that was not silent (0: none since the last reset).
    uint64_t soundEnd() const { return soundEnd_; }

    // Renders the next `frames` frames (at most kHistoryFrames) of what is playing into `out` (interleaved,
    // 2 × frames floats) and keeps them. Sounds not started yet keep waiting.
    void append(float *out, size_t frames) noexcept;
    // Starts the sounds that wait `back` frames before the end of the queue, or as far back as the kept frames
    // reach, mixed into the frames queued there. Writes those frames to `out` (interleaved, room for
    // 2 × kHistoryFrames floats) and returns their number; 0 means the sounds start at the end of the queue
    // with the next append().
    size_t placeNewSounds(size_t back, float *out) noexcept;

private:
    size_t slot(uint64_t position) const { return static_cast<size_t>(position % kHistoryFrames); }
    void keep(uint64_t from, size_t frames) noexcept; // scratch → history, for frames from position `from`
    // Limits the scratch frames that begin at position `from` (the limiter holds the gain before them), keeps
    // the gain after each of them and writes them interleaved to `out`.
    void finish(uint64_t from, size_t frames, float *out) noexcept;

    AudioRenderer &renderer_;
    std::vector<float> historyLeft_; // by position % kHistoryFrames: the sum before the master stage
    std::vector<float> historyRight_;
    std::vector<float> historyGain_; // by position % (kHistoryFrames + 1): the limiter's gain after the frame
    std::vector<float> scratchLeft_;
    std::vector<float> scratchRight_;
    std::vector<float> scratchGain_;
    MasterLimiter limiter_; // its gain is the one after the last frame written
    uint64_t written_ = 0;
    uint64_t soundEnd_ = 0;
};

} // namespace tc
