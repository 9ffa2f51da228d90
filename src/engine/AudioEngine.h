#pragma once

#include "engine/AudioBuffer.h"
#include "engine/AudioDevices.h"
#include "engine/AudioOutput.h"
#include "engine/Mixer.h"
#include "engine/SoundPlayer.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tc {

class LatencyTrace;

// The program's one sound output: a pool of mixer voices on one output stream, made once by the composition
// root. Every key sound and every preview goes through play(). A new sound takes the first free voice or,
// when all are busy, replaces the voice whose sound ends first.
//
// The engine lock (lock()) guards everything here. The owner holds it for each of its sequences:
//   start-up:        setLowLatency, setOutputDeviceUID, rebuildVoices(settings' count), applyOutputDevice,
//                    startEngine;
//   voice count:     when voiceCountFor(count) differs from voiceCount(): stopEngine, rebuildVoices,
//                    startEngine;
//   latency:         setLowLatency, applyBufferSize;
//   output device:   setOutputDeviceUID (absent for the system default), stopEngine, applyOutputDevice,
//                    startEngine.
// play() and restartAfterConfigurationChange() take the lock themselves.
//
// Threads: play() is called on the key thread and the main thread; the reconfiguration calls on the main
// thread. The engine owns one control thread ("Tapchime.audio") that restarts the engine after a
// configuration change reported by the output and retries a failed start at most once per retry interval,
// so no key press ever waits for a sound server. The mixer renders on the output's audio thread.
//
// When the output cannot start, one line "Tapchime: audio engine failed to start: <description>" goes to
// the log (once per run of failures) and the fallback output, when given (a null output), takes over so
// that voices keep their timing; the output is tried again in the background.
class AudioEngine final : public SoundPlayer {
public:
    static constexpr int kMinVoices = 2;
    static constexpr int kMaxVoices = static_cast<int>(Mixer::kMaxVoices);
    static constexpr int kLowLatencyFrames = 128;
    static constexpr int kNormalFrames = 512;
    static constexpr float kMinRate = 0.5f;
    static constexpr float kMaxRate = 2.0f;

    // Monotonic time in nanoseconds (the system uptime).
    using Clock = std::function<uint64_t()>;
    // Writes one line to the system log.
    using Log = std::function<void(const std::string &line)>;

    struct Options {
        AudioOutput *fallback = nullptr;               // takes over while `output` cannot start
        Clock clock;                                   // default: steady clock
        Log log;                                       // default: standard error
        std::chrono::milliseconds retryInterval{1000}; // between background start attempts
    };

    // `output`, `devices` and the fallback must outlive the engine.
    AudioEngine(AudioOutput &output, AudioDevices &devices);
    AudioEngine(AudioOutput &output, AudioDevices &devices, Options options);
    ~AudioEngine() override;
    AudioEngine(const AudioEngine &) = delete;
    AudioEngine &operator=(const AudioEngine &) = delete;

    // Plays one buffer on one voice: volume 0–1, rate 0.5–2.0, pan −1–1 (clamped; NaN counts as silence,
    // rate 1 and the centre). Pan keeps the near channel at full volume and fades the far one linearly
    // (see Mixer): at 0 both channels play at full volume, at −1 only the left. Takes the lock; never waits
    // for audio, never allocates, never starts the output itself. Does nothing while there are no voices or
    // the buffer is empty.
    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override;

    // Where play() and the mixer report each sound's timing for diagnosis (null, the default: nowhere). Call
    // before startEngine(), with the lock held; the trace must outlive the engine.
    void setLatencyTrace(LatencyTrace *trace);

    // The engine lock. Everything below except restartAfterConfigurationChange() needs it held.
    std::mutex &lock() { return lock_; }

    bool lowLatency() const { return lowLatency_; } // true when made
    void setLowLatency(bool lowLatency) { lowLatency_ = lowLatency; }
    // The chosen output device's UID; absent means the system default output (absent when made).
    const std::optional<std::string> &outputDeviceUID() const { return outputDeviceUID_; }
    void setOutputDeviceUID(std::optional<std::string> uid) { outputDeviceUID_ = std::move(uid); }

    // Silences every voice and builds a new pool of voiceCountFor(count) voices.
    void rebuildVoices(int count);
    // The pool size a requested voice count builds: at least 2 and at most 64 (a hand-edited document may
    // ask for millions). Owners compare this, not the document's value, with voiceCount().
    static int voiceCountFor(std::int64_t count) {
        return count < kMinVoices ? kMinVoices : count > kMaxVoices ? kMaxVoices : static_cast<int>(count);
    }
    // Chooses the device to play on: the chosen UID while such a device exists, else the system default.
    // A running output on another device is stopped (startEngine() opens it on the new one).
    void applyOutputDevice();
    // Starts the output on the chosen device unless it runs already; see the class comment for failures.
    void startEngine();
    // Stops the output (and the fallback); queued sounds are dropped.
    void stopEngine();
    // Asks the output for 128 frames in low-latency mode, 512 otherwise.
    void applyBufferSize();
    // Takes the lock. Forgets a chosen UID whose device is gone (the document's setting is not changed),
    // then applyOutputDevice() and startEngine().
    void restartAfterConfigurationChange();

    // Whether sound is being rendered: by the output, or by the fallback while the output cannot start.
    bool isRunning() const;
    // Whether the output itself runs (not the fallback).
    bool isOutputRunning() const { return output_.isRunning(); }
    // The device UID applyOutputDevice() chose (empty: the system default).
    const std::string &chosenDevice() const { return chosenDevice_; }
    // The voice pool, in index order: its size and when each voice's sound ends (monotonic ns; 0 when new).
    size_t voiceCount() const { return voices_.size(); }
    uint64_t busyUntil(size_t voice) const { return voices_.at(voice).busyUntil; }

private:
    struct Voice {
        AudioBufferPtr buffer;  // keeps what the mixer voice reads alive
        uint64_t busyUntil = 0; // monotonic ns
    };
    struct Retired {
        AudioBufferPtr buffer;
        uint64_t serial = 0; // released once the mixer has applied this command
    };

    int bufferFrames() const { return lowLatency_ ? kLowLatencyFrames : kNormalFrames; }
    size_t chooseVoice(uint64_t now) const;
    void retire(AudioBufferPtr buffer, uint64_t serial);
    void releaseRetired();
    void resetMixer();
    void restartLocked();
    void controlLoop();

    AudioOutput &output_;
    AudioDevices &devices_;
    AudioOutput *fallback_;
    Clock clock_;
    Log log_;
    std::chrono::milliseconds retryInterval_;

    std::mutex lock_;
    bool lowLatency_ = true;
    std::optional<std::string> outputDeviceUID_;
    std::string chosenDevice_;
    std::vector<Voice> voices_;
    std::vector<Retired> retired_; // in serial order; capacity reserved so that play() never grows it
    Mixer mixer_;
    LatencyTrace *trace_ = nullptr;
    bool wantRunning_ = false; // startEngine() was called and stopEngine() was not
    bool fallbackActive_ = false;
    bool failing_ = false;     // the last start failed and was logged
    uint64_t lastAttempt_ = 0; // clock time of the last start attempt

    // The control thread and what wakes it.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool restartRequested_ = false;
    bool quit_ = false;
    std::thread control_;
};

} // namespace tc
