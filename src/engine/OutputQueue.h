#pragma once

#include "engine/AudioOutput.h"

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

    // Renders the next `frames` frames (at most kHistoryFrames) of what is playing into `out` (interleaved,
    // 2 × frames floats) and keeps them. Sounds not started yet keep waiting.
    void append(float *out, size_t frames) noexcept;
    // Starts the sounds that wait `back` frames before the end of the queue, or as far back as the kept frames
    // reach, mixed into the frames queued there. Writes those frames to `out` (interleaved, room for
    // 2 × kHistoryFrames floats) and returns their number; 0 means the sounds start at the end of the queue
    // with the next append().
    size_t placeNewSounds(size_t back, float *out) noexcept;

private:
    void keep(uint64_t from, size_t frames) noexcept; // scratch → history, for frames from position `from`
    void interleave(float *out, size_t frames) const noexcept;

    AudioRenderer &renderer_;
    std::vector<float> historyLeft_; // by position % kHistoryFrames
    std::vector<float> historyRight_;
    std::vector<float> scratchLeft_;
    std::vector<float> scratchRight_;
    uint64_t written_ = 0;
};

} // namespace tc
