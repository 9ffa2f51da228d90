#pragma once

#include "engine/AudioBuffer.h"
#include "engine/AudioOutput.h"
#include "engine/MasterLimiter.h"
#include "engine/SpscQueue.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tc {

class LatencyTrace;

// Left and right gain of a voice.
struct StereoGains {
    float left = 0.0f;
    float right = 0.0f;
};

// The program's own mixer: a fixed pool of voices, each reading one immutable buffer at a fractional
// position stepped by its rate (so pitch and speed change together; linear interpolation between frames),
// scaled by its left and right gains and summed into the output. A stereo buffer's left channel goes to the
// left side and its right one to the right; a mono buffer's one channel goes to both, so a mono sound and
// the same sound stored twice as stereo render alike.
//
// Pan law (balance, linear): left gain = volume × min(1, 1 − pan), right gain = volume × min(1, 1 + pan).
// At pan 0 both channels play at full volume; at −1 only the left one, at +1 only the right one; in between
// the far channel fades linearly while the near one stays at full volume.
//
// The master stage (MasterStage.h) brings overlapping voices under full scale smoothly (MasterLimiter) and
// leaves a single voice at its normal level untouched; its finish stage is the last guard.
//
// Threads: the control side (the audio engine, under its lock) posts commands with post(); the audio thread
// applies them at the start of each render() and is the only one to touch the voices. render() allocates,
// frees, locks and logs nothing. A voice holds only a raw pointer to its buffer: whoever posted the buffer
// keeps it alive until consumedSerial() reaches a command that replaced or stopped that voice (or until
// reset()).
class Mixer final : public AudioRenderer {
public:
    static constexpr size_t kMaxVoices = 64; // one bit each in a 64-bit mask
    static constexpr size_t kQueueCapacity = 256;
    static_assert(kMaxVoices <= 64);

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
    // Control side: the serial the next successful post() will return.
    uint64_t nextSerial() const { return posted_ + 1; }
    // Control side: the serial of the last command the audio thread has applied.
    uint64_t consumedSerial() const { return consumed_.load(std::memory_order_acquire); }
    // Control side, only while no output renders: drops queued commands and silences every voice, as if
    // the audio thread had applied everything queued and then a stopAll.
    void reset();

    // Control side, only while no output renders: where applied play commands are reported for diagnosis
    // (null: nowhere, the default). The trace must outlive the mixer's rendering.
    void setTrace(LatencyTrace *trace) { trace_ = trace; }

    // Audio thread: applyCommands, clearStage, mixVoicesStage, then masterStage (MasterStage.h) with the mixer's
    // own limiter, which render() carries from one period to the next.
    void render(float *left, float *right, size_t frames) noexcept override;
    // Audio thread: clearStage, mixVoicesStage; queued commands wait. The sum before the master stage.
    void renderPlaying(float *left, float *right, size_t frames) noexcept override;
    // Audio thread: whether commands wait to be applied.
    bool hasNewSounds() const noexcept override { return commands_.size() != 0; }
    // Audio thread: applyCommands, then mixes only the voices those commands started into the channels (over
    // what they hold) and advances only them. The sum before the master stage.
    void renderNewSounds(float *left, float *right, size_t frames) noexcept override;

    // The named stages of render(), callable offline.
    // Applies every queued command to the voices.
    void applyCommands() noexcept;
    // Fills both channels with silence.
    static void clearStage(float *left, float *right, size_t frames) noexcept;
    // Adds every playing voice into the channels and advances it; a voice that reaches its buffer's end
    // stops.
    void mixVoicesStage(float *left, float *right, size_t frames) noexcept;

    // The pan law above, for volume 0–1 and pan −1–1.
    static StereoGains panGains(float volume, float pan);

    // Audio thread or offline: whether the voice is playing.
    bool isVoicePlaying(size_t voice) const { return voice < kMaxVoices && voices_[voice].buffer != nullptr; }

private:
    struct Voice {
        const AudioBuffer *buffer = nullptr; // null: silent
        size_t length = 0;                   // frames the voice reads from the buffer
        double position = 0.0;               // in frames of the buffer
        double rate = 1.0;                   // buffer frames per output frame
        StereoGains gains;
    };

    void apply(const Command &command) noexcept;
    // Adds the voices whose bit is set in `voices` (bit i: voice i) and advances them.
    void mixVoices(float *left, float *right, size_t frames, uint64_t voices) noexcept;
    // Adds one voice (a mono or a stereo buffer) into the channels from its position on; returns the
    // position after the frames it added.
    template <bool Mono> static double addVoice(const Voice &voice, float *left, float *right, size_t frames) noexcept;

    std::array<Voice, kMaxVoices> voices_{}; // audio thread only
    uint64_t started_ = 0;                   // audio thread: voices started by the commands applied last
    MasterLimiter limiter_;                  // audio thread: render()'s master stage
    SpscQueue<Command, kQueueCapacity> commands_;
    uint64_t posted_ = 0; // control side
    std::atomic<uint64_t> consumed_{0};
    LatencyTrace *trace_ = nullptr;
};

} // namespace tc
