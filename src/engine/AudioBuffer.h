#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace tc {

// One sound in the program's shared audio format: 48 kHz, two channels, 32-bit float, non-interleaved.
// Buffers are made once (decoded, rendered) and never changed afterwards, so any thread may read them,
// the audio thread included; they are shared through AudioBufferPtr.
struct AudioBuffer {
    static constexpr int kSampleRate = 48000;
    static constexpr int kChannels = 2;

    std::vector<float> left;
    std::vector<float> right; // same length as left

    size_t frames() const { return left.size(); }
    double seconds() const { return static_cast<double>(frames()) / kSampleRate; }
};

using AudioBufferPtr = std::shared_ptr<const AudioBuffer>;

} // namespace tc
