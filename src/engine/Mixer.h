#pragma once

#include "engine/AudioBuffer.h"
#include "engine/AudioOutput.h"
#include "engine/SpscQueue.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tc {

// Left and right gain of a voice.
struct StereoGains {
    float left = 0.0f;
    float right = 0.0f;
};

// The program's own mixer: a fixed pool of voices, each reading one immutable buffer at a fractional
// position stepped by its rate (so pitch and speed change together; linear interpolation between frames),
// scaled by its left and right gains and summed into the output.
//
// Pan law (balance, linear): left gain = volume × min(1, 1 − pan), right gain = volume × min(1, 1 + pan).
// At pan 0 both channels play at full volume; at −1 only the left one, at +1 only the right one; in between
// the far channel fades linearly while the near one stays at full volume.
//
// Threads: the control side (the audio engine, under its lock) posts commands with post(); the audio thread
// applies them at the start of each render() and is the only one to touch the voices. render() allocates,
// frees, locks and logs nothing. A voice holds only a raw pointer to its buffer: whoever posted the buffer
// keeps it alive until consumedSerial() reaches a command that replaced or stopped that voice (or until
// reset()).
class Mixer final : public AudioRenderer {
public:
    static constexpr size_t kMaxVoices = 64;
    static constexpr size_t kQueueCapacity = 256;

    // A plain record passed from the control side to the audio thread.
    struct Command {
        enum class Kind : uint8_t {
            play,    // replace what `voice` plays with `buffer` from its start
            stopAll, // silence every voice
        };
        Kind kind = Kind::play;
        uint32_t voice = 0;
        const AudioBuffer *buffer = nullptr;
        float rate = 1.0f;
        StereoGains gains;
        uint64_t serial = 0; // filled in by post()
    };

    // Control side, one producer at a time. Queues the command for the audio thread and returns its serial
    // (counting from 1), or 0 when the queue is full and the command was dropped.
    uint64_t post(Command command);
    // Control side: the serial of the last command the audio thread has applied.
    uint64_t consumedSerial() const { return consumed_.load(std::memory_order_acquire); }
    // Control side, only while no output renders: drops queued commands and silences every voice, as if
    // the audio thread had applied everything queued and then a stopAll.
    void reset();

    // Audio thread: applyCommands, clearStage, mixVoicesStage, finishStage.
    void render(float *left, float *right, size_t frames) noexcept override;

    // The named stages of render(), callable offline.
    // Applies every queued command to the voices.
    void applyCommands() noexcept;
    // Fills both channels with silence.
    static void clearStage(float *left, float *right, size_t frames) noexcept;
    // Adds every playing voice into the channels and advances it; a voice that reaches its buffer's end
    // stops.
    void mixVoicesStage(float *left, float *right, size_t frames) noexcept;
    // Clamps every sample to −1…1 and replaces NaN with 0.
    static void finishStage(float *left, float *right, size_t frames) noexcept;

    // The pan law above, for volume 0–1 and pan −1–1.
    static StereoGains panGains(float volume, float pan);

    // Audio thread or offline: whether the voice is playing.
    bool isVoicePlaying(size_t voice) const { return voice < kMaxVoices && voices_[voice].buffer != nullptr; }

private:
    struct Voice {
        const AudioBuffer *buffer = nullptr; // null: silent
        double position = 0.0;               // in frames of the buffer
        double rate = 1.0;                   // buffer frames per output frame
        StereoGains gains;
    };

    void apply(const Command &command) noexcept;

    std::array<Voice, kMaxVoices> voices_{}; // audio thread only
    SpscQueue<Command, kQueueCapacity> commands_;
    uint64_t posted_ = 0; // control side
    std::atomic<uint64_t> consumed_{0};
};

} // namespace tc
