#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tc {

// One sound in the program's shared audio format: 48 kHz, 32-bit float, non-interleaved, one channel or two.
// A mono sound (a mono file, a stereo file whose channels are the same, anything synthesized) keeps its one
// channel in `left` and leaves `right` empty; the mixer plays it on both sides and pans it as it mixes, so
// it is stored once instead of twice. A stereo sound has both, of the same length.
// Buffers are made once (decoded, rendered) and never changed afterwards, so any thread may read them,
// the audio thread included; they are shared through AudioBufferPtr.
struct AudioBuffer {
    static constexpr int kSampleRate = 48000;
    // The channels of the program's output: every buffer, mono or stereo, is mixed into two.
    static constexpr int kChannels = 2;

    std::vector<float> left;  // the only channel of a mono buffer
    std::vector<float> right; // empty for a mono buffer; otherwise as long as left

    static AudioBuffer mono(std::vector<float> samples) { return {std::move(samples), {}}; }
    static AudioBuffer stereo(std::vector<float> leftSamples, std::vector<float> rightSamples) {
        return {std::move(leftSamples), std::move(rightSamples)};
    }

    bool isMono() const { return right.empty(); }
    int channels() const { return isMono() ? 1 : 2; }
    // The samples the output's channel `index` (0 left, 1 right) plays: a mono buffer's one channel for both.
    const std::vector<float> &channel(int index) const { return index == 0 || isMono() ? left : right; }

    size_t frames() const { return left.size(); }
    double seconds() const { return static_cast<double>(frames()) / kSampleRate; }
};

using AudioBufferPtr = std::shared_ptr<const AudioBuffer>;

} // namespace tc
