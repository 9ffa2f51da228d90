#include "engine/Mixer.h"

#include "engine/LatencyTrace.h"
#include "engine/MasterStage.h"

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
    started_ = 0;
    limiter_.setGain(1.0f);
    consumed_.store(posted_, std::memory_order_release);
}

void Mixer::render(float *left, float *right, size_t frames) noexcept {
    applyCommands();
    clearStage(left, right, frames);
    mixVoicesStage(left, right, frames);
    masterStage(limiter_, left, right, frames);
}

void Mixer::renderPlaying(float *left, float *right, size_t frames) noexcept {
    clearStage(left, right, frames);
    mixVoicesStage(left, right, frames);
}

void Mixer::renderNewSounds(float *left, float *right, size_t frames) noexcept {
    applyCommands();
    mixVoices(left, right, frames, started_);
}

void Mixer::applyCommands() noexcept {
    started_ = 0;
    Command command;
    uint64_t last = 0;
    while (commands_.pop(command)) {
        apply(command);
        last = command.serial;
    }
    if (last != 0) {
        // Published only after the voices stopped reading the buffers these commands replaced.
        consumed_.store(last, std::memory_order_release);
        if (trace_) {
            trace_->applied(last);
        }
    }
}

void Mixer::apply(const Command &command) noexcept {
    switch (command.kind) {
    case Command::Kind::play:
        if (command.voice < kMaxVoices) {
            Voice &voice = voices_[command.voice];
            const AudioBuffer *buffer = command.buffer;
            // A stereo buffer whose channels differ in length plays as long as the shorter one.
            const size_t length = !buffer            ? 0
                                  : buffer->isMono() ? buffer->left.size()
                                                     : std::min(buffer->left.size(), buffer->right.size());
            voice.buffer = length != 0 ? buffer : nullptr;
            voice.length = length;
            voice.position = 0.0;
            voice.rate = command.rate;
            voice.gains = command.gains;
            if (voice.buffer) {
                started_ |= uint64_t{1} << command.voice;
            }
        }
        break;
    case Command::Kind::stopAll:
        voices_.fill(Voice{});
        started_ = 0;
        break;
    }
}

void Mixer::clearStage(float *left, float *right, size_t frames) noexcept {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
}

void Mixer::mixVoicesStage(float *left, float *right, size_t frames) noexcept {
    mixVoices(left, right, frames, ~uint64_t{0});
}

void Mixer::mixVoices(float *left, float *right, size_t frames, uint64_t voices) noexcept {
    for (size_t number = 0; number < kMaxVoices; ++number) {
        Voice &voice = voices_[number];
        if (!voice.buffer || (voices & (uint64_t{1} << number)) == 0) {
            continue;
        }
        // One choice per voice and period, none per frame.
        const double position = voice.buffer->isMono() ? addVoice<true>(voice, left, right, frames)
                                                       : addVoice<false>(voice, left, right, frames);
        if (position >= static_cast<double>(voice.length)) {
            voice.buffer = nullptr;
        } else {
            voice.position = position;
        }
    }
}

template <bool Mono> double Mixer::addVoice(const Voice &voice, float *left, float *right, size_t frames) noexcept {
    const float *sourceLeft = voice.buffer->left.data();
    // A mono buffer has no right channel: its one channel is read once and goes to both sides.
    const float *sourceRight = Mono ? sourceLeft : voice.buffer->right.data();
    const size_t length = voice.length;
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
        float r = l;
        if constexpr (!Mono) {
            r = sourceRight[index] + fraction * (sourceRight[index + 1] - sourceRight[index]);
        }
        left[frame] += l * gainLeft;
        right[frame] += r * gainRight;
    }
    // Within the last frame the sound fades towards silence after the buffer's end.
    for (; frame < frames && position < static_cast<double>(length); ++frame, position += voice.rate) {
        const float fade = 1.0f - static_cast<float>(position - last);
        left[frame] += sourceLeft[length - 1] * fade * gainLeft;
        right[frame] += sourceRight[length - 1] * fade * gainRight;
    }
    return position;
}

StereoGains Mixer::panGains(float volume, float pan) {
    return {volume * std::min(1.0f, 1.0f - pan), volume * std::min(1.0f, 1.0f + pan)};
}

} // namespace tc
