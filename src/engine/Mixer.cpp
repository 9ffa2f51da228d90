#include "engine/Mixer.h"

#include <algorithm>

namespace tc {

uint64_t Mixer::post(Command command) {
    command.serial = posted_ + 1;
    if (!commands_.push(command)) {
        return 0;
    }
    posted_ = command.serial;
    return command.serial;
}

void Mixer::reset() {
    // No output renders, so the control side may act as the consumer here.
    Command ignored;
    while (commands_.pop(ignored)) {
    }
    voices_.fill(Voice{});
    consumed_.store(posted_, std::memory_order_release);
}

void Mixer::render(float *left, float *right, size_t frames) noexcept {
    applyCommands();
    clearStage(left, right, frames);
    mixVoicesStage(left, right, frames);
    finishStage(left, right, frames);
}

void Mixer::applyCommands() noexcept {
    Command command;
    uint64_t last = 0;
    while (commands_.pop(command)) {
        apply(command);
        last = command.serial;
    }
    if (last != 0) {
        // Published only after the voices stopped reading the buffers these commands replaced.
        consumed_.store(last, std::memory_order_release);
    }
}

void Mixer::apply(const Command &command) noexcept {
    switch (command.kind) {
    case Command::Kind::play:
        if (command.voice < kMaxVoices) {
            Voice &voice = voices_[command.voice];
            const bool audible = command.buffer && !command.buffer->left.empty() && !command.buffer->right.empty();
            voice.buffer = audible ? command.buffer : nullptr;
            voice.position = 0.0;
            voice.rate = command.rate;
            voice.gains = command.gains;
        }
        break;
    case Command::Kind::stopAll:
        voices_.fill(Voice{});
        break;
    }
}

void Mixer::clearStage(float *left, float *right, size_t frames) noexcept {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
}

void Mixer::mixVoicesStage(float *left, float *right, size_t frames) noexcept {
    for (Voice &voice : voices_) {
        if (!voice.buffer) {
            continue;
        }
        const float *sourceLeft = voice.buffer->left.data();
        const float *sourceRight = voice.buffer->right.data();
        const size_t length = std::min(voice.buffer->left.size(), voice.buffer->right.size());
        const double last = static_cast<double>(length - 1);
        const float gainLeft = voice.gains.left;
        const float gainRight = voice.gains.right;
        double position = voice.position;
        size_t frame = 0;

        // While a next frame exists, interpolate between the two frames around the position.
        for (; frame < frames && position < last; ++frame, position += voice.rate) {
            const auto index = static_cast<size_t>(position);
            const auto fraction = static_cast<float>(position - static_cast<double>(index));
            const float l = sourceLeft[index] + fraction * (sourceLeft[index + 1] - sourceLeft[index]);
            const float r = sourceRight[index] + fraction * (sourceRight[index + 1] - sourceRight[index]);
            left[frame] += l * gainLeft;
            right[frame] += r * gainRight;
        }
        // Within the last frame the sound fades towards silence after the buffer's end.
        for (; frame < frames && position < static_cast<double>(length); ++frame, position += voice.rate) {
            const auto fraction = static_cast<float>(position - last);
            left[frame] += sourceLeft[length - 1] * (1.0f - fraction) * gainLeft;
            right[frame] += sourceRight[length - 1] * (1.0f - fraction) * gainRight;
        }
        if (position >= static_cast<double>(length)) {
            voice.buffer = nullptr;
        } else {
            voice.position = position;
        }
    }
}

void Mixer::finishStage(float *left, float *right, size_t frames) noexcept {
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

StereoGains Mixer::panGains(float volume, float pan) {
    return {volume * std::min(1.0f, 1.0f - pan), volume * std::min(1.0f, 1.0f + pan)};
}

} // namespace tc
