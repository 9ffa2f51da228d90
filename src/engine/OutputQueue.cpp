#include "engine/OutputQueue.h"

#include "engine/MasterStage.h"

#include <algorithm>

namespace tc {

OutputQueue::OutputQueue(AudioRenderer &renderer)
    : renderer_(renderer), historyLeft_(kHistoryFrames), historyRight_(kHistoryFrames),
      historyGain_(kHistoryFrames + 1, 1.0f), scratchLeft_(kHistoryFrames), scratchRight_(kHistoryFrames),
      scratchGain_(kHistoryFrames) {}

void OutputQueue::reset() noexcept {
    written_ = 0;
    soundEnd_ = 0;
    std::fill(historyLeft_.begin(), historyLeft_.end(), 0.0f);
    std::fill(historyRight_.begin(), historyRight_.end(), 0.0f);
    std::fill(historyGain_.begin(), historyGain_.end(), 1.0f);
    limiter_.setGain(1.0f);
}

void OutputQueue::append(float *out, size_t frames) noexcept {
    frames = std::min(frames, kHistoryFrames);
    renderer_.renderPlaying(scratchLeft_.data(), scratchRight_.data(), frames);
    keep(written_, frames);
    finish(written_, frames, out); // the limiter goes on from the last frame written
    written_ += frames;
}

size_t OutputQueue::placeNewSounds(size_t back, float *out) noexcept {
    const auto frames = static_cast<size_t>(std::min<uint64_t>({back, written_, kHistoryFrames}));
    const uint64_t from = written_ - frames;
    for (size_t i = 0; i < frames; ++i) {
        scratchLeft_[i] = historyLeft_[slot(from + i)];
        scratchRight_[i] = historyRight_[slot(from + i)];
    }
    renderer_.renderNewSounds(scratchLeft_.data(), scratchRight_.data(), frames);
    keep(from, frames);
    // Limited again from the gain the frame before them left; it is kept one frame further back than the sums,
    // so that it is there even when every kept frame is written again.
    limiter_.setGain(from == 0 ? 1.0f : historyGain_[(from - 1) % (kHistoryFrames + 1)]);
    finish(from, frames, out);
    return frames;
}

void OutputQueue::keep(uint64_t from, size_t frames) noexcept {
    for (size_t i = 0; i < frames; ++i) {
        historyLeft_[slot(from + i)] = scratchLeft_[i];
        historyRight_[slot(from + i)] = scratchRight_[i];
    }
}

void OutputQueue::finish(uint64_t from, size_t frames, float *out) noexcept {
    masterStage(limiter_, scratchLeft_.data(), scratchRight_.data(), frames, scratchGain_.data());
    for (size_t i = 0; i < frames; ++i) {
        historyGain_[(from + i) % (kHistoryFrames + 1)] = scratchGain_[i];
        out[2 * i] = scratchLeft_[i];
        out[2 * i + 1] = scratchRight_[i];
        if (scratchLeft_[i] != 0.0f || scratchRight_[i] != 0.0f) {
            soundEnd_ = std::max(soundEnd_, from + i + 1);
        }
    }
}

} // namespace tc
