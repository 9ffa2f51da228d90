#include "engine/OutputQueue.h"

#include <algorithm>

namespace tc {

OutputQueue::OutputQueue(AudioRenderer &renderer)
    : renderer_(renderer), historyLeft_(kHistoryFrames), historyRight_(kHistoryFrames), scratchLeft_(kHistoryFrames),
      scratchRight_(kHistoryFrames) {}

void OutputQueue::reset() noexcept {
    written_ = 0;
    std::fill(historyLeft_.begin(), historyLeft_.end(), 0.0f);
    std::fill(historyRight_.begin(), historyRight_.end(), 0.0f);
}

void OutputQueue::append(float *out, size_t frames) noexcept {
    frames = std::min(frames, kHistoryFrames);
    renderer_.renderPlaying(scratchLeft_.data(), scratchRight_.data(), frames);
    keep(written_, frames);
    written_ += frames;
    interleave(out, frames);
}

size_t OutputQueue::placeNewSounds(size_t back, float *out) noexcept {
    const auto frames = static_cast<size_t>(std::min<uint64_t>({back, written_, kHistoryFrames}));
    const uint64_t from = written_ - frames;
    for (size_t i = 0; i < frames; ++i) {
        const size_t slot = (from + i) % kHistoryFrames;
        scratchLeft_[i] = historyLeft_[slot];
        scratchRight_[i] = historyRight_[slot];
    }
    renderer_.renderNewSounds(scratchLeft_.data(), scratchRight_.data(), frames);
    keep(from, frames);
    interleave(out, frames);
    return frames;
}

void OutputQueue::keep(uint64_t from, size_t frames) noexcept {
    for (size_t i = 0; i < frames; ++i) {
        const size_t slot = (from + i) % kHistoryFrames;
        historyLeft_[slot] = scratchLeft_[i];
        historyRight_[slot] = scratchRight_[i];
    }
}

void OutputQueue::interleave(float *out, size_t frames) const noexcept {
    for (size_t i = 0; i < frames; ++i) {
        out[2 * i] = scratchLeft_[i];
        out[2 * i + 1] = scratchRight_[i];
    }
}

} // namespace tc
