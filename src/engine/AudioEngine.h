#pragma once

#include "engine/AudioBuffer.h"
#include "engine/AudioDevices.h"
#include "engine/AudioOutput.h"
#include "engine/Mixer.h"
#include "engine/SoundPlayer.h"

#include <atomic>
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
// The owner states what it wants (setVoiceCount, setLowLatency, setOutputDevice, start); each request
// records the wish and returns at once. The engine's control thread ("Tapchime.audio") carries the wishes
// out: it rebuilds the voice pool when its size changes, asks the output for another buffer size, stops the
// stream and opens it again on another device, and starts the output. Only that thread (and the destructor,
// after it has ended) starts or stops an output, so a sound server that is slow to answer holds up nobody
// else. The same thread restarts the output after a configuration change the output reports, and retries a
// failed start about once per retry interval.
//
// Threads: play() on the key thread and the main thread; the requests and isOutputReachable() on any
// thread (the program: the main thread). The mixer renders on the output's audio thread. The engine lock
// guards the voices, the mixer's sending side and which output renders; it is held only for moments (by
// play(), and by the control thread while it swaps the rendering output or rebuilds the voices), never
// across I/O. play() does not wait for it: a sound that arrives in such a moment is dropped.
//
// When the output cannot start, one line "Tapchime: audio engine failed to start: <description>" goes to
// the log (once per run of failures), isOutputReachable() turns false and the fallback output, when given
// (a null output), takes over so that voices keep their timing; the output is tried again in the background,
// and the fallback goes on rendering until a start succeeds.
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

    // `output`, `devices` and the fallback must outlive the engine. Made with no voices, low latency, the
    // system default output, and stopped.
    AudioEngine(AudioOutput &output, AudioDevices &devices);
    AudioEngine(AudioOutput &output, AudioDevices &devices, Options options);
    // Ends the control thread (after the start attempt it may be in) and stops the outputs.
    ~AudioEngine() override;
    AudioEngine(const AudioEngine &) = delete;
    AudioEngine &operator=(const AudioEngine &) = delete;

    // Plays one buffer on one voice: volume 0–1, rate 0.5–2.0, pan −1–1 (clamped; NaN counts as silence,
    // rate 1 and the centre). Pan keeps the near channel at full volume and fades the far one linearly
    // (see Mixer): at 0 both channels play at full volume, at −1 only the left. Never waits (see the class
    // comment), never allocates, never starts the output itself. Does nothing while there are no voices or
    // the buffer is empty. A sound played while the output is being opened plays once it runs.
    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override;

    // Requests; each returns at once and the control thread carries it out.
    // A pool of voiceCountFor(count) voices. Only a new size rebuilds the pool, which silences every voice.
    void setVoiceCount(std::int64_t count);
    // Asks the output for 128 frames in low-latency mode (the default), 512 otherwise.
    void setLowLatency(bool lowLatency);
    // Plays on the device with this UID while it exists, else on the system default output (absent: always
    // the default). The stream is opened again only when that changes where it plays.
    void setOutputDevice(std::optional<std::string> uid);
    // Starts the output and keeps it running until the engine is destroyed.
    void start();

    // Where play() and the mixer report each sound's timing for diagnosis (null, the default: nowhere). Call
    // before start(); the trace must outlive the engine.
    void setLatencyTrace(LatencyTrace *trace);

    // False while the engine cannot reach its output: the last start failed (only the fallback renders, or
    // nothing does) and no start has succeeded since. True before the first attempt. Any thread, never waits.
    bool isOutputReachable() const { return reachable_.load(std::memory_order_relaxed); }

    // The pool size a requested voice count builds: at least 2 and at most 64 (a hand-edited document may
    // ask for billions).
    static int voiceCountFor(std::int64_t count) {
        return count < kMinVoices ? kMinVoices : count > kMaxVoices ? kMaxVoices : static_cast<int>(count);
    }

    // For tests and tools: blocks until the control thread has carried out every request made, and every
    // configuration change reported, before the call (a start included, however long its connect takes).
    // The program's own threads never wait for the engine.
    void waitUntilSettled();

    // For tests and diagnostics; any thread (they take the engine lock for a moment).
    // Whether sound is being rendered: by the output, or by the fallback while the output cannot start.
    bool isRunning() const;
    // Whether the output itself runs (not the fallback).
    bool isOutputRunning() const { return output_.isRunning(); }
    // The chosen output device's UID as the engine holds it: a chosen device that went away while the
    // server listed others is forgotten here (absent: the system default).
    std::optional<std::string> outputDeviceUID() const;
    // The device UID the output was last opened for (empty: the system default).
    std::string chosenDevice() const;
    // The voice pool, in index order: its size and when each voice's sound ends (monotonic ns; 0 when new).
    size_t voiceCount() const;
    uint64_t busyUntil(size_t voice) const;

private:
    struct Voice {
        AudioBufferPtr buffer;  // keeps what the mixer voice reads alive
        uint64_t busyUntil = 0; // monotonic ns
    };
    struct Retired {
        AudioBufferPtr buffer;
        uint64_t serial = 0; // released once the mixer has applied this command
    };
    // What the output renders: the mixer, or silence while it is shut. The output starts on it shut while the
    // fallback still renders the mixer (the mixer has one consumer at a time), so the fallback keeps time for
    // as long as the connect takes, and only a successful start ends it. Opened and shut by the control
    // thread, read on the output's audio thread.
    class OutputGate final : public AudioRenderer {
    public:
        explicit OutputGate(Mixer &mixer) : mixer_(mixer) {}
        void setOpen(bool open) { open_.store(open, std::memory_order_release); }
        void render(float *left, float *right, size_t frames) noexcept override;
        void renderPlaying(float *left, float *right, size_t frames) noexcept override;
        bool hasNewSounds() const noexcept override { return isOpen() && mixer_.hasNewSounds(); }
        void renderNewSounds(float *left, float *right, size_t frames) noexcept override;

    private:
        bool isOpen() const noexcept { return open_.load(std::memory_order_acquire); }
        Mixer &mixer_;
        std::atomic<bool> open_{false};
    };

    // What the owner asked for, as the requests left it.
    struct Wishes {
        int voices = 0; // the pool size; 0 before the first setVoiceCount()
        bool lowLatency = true;
        std::optional<std::string> outputDeviceUID;
        uint64_t deviceRequests = 0; // setOutputDevice() calls so far
        bool running = false;
    };

    int bufferFrames() const { return lowLatency_ ? kLowLatencyFrames : kNormalFrames; }
    // Engine lock held.
    size_t chooseVoice(uint64_t now) const;
    void retire(AudioBufferPtr buffer, uint64_t serial);
    void releaseRetired();
    void resetMixer();
    // Control thread.
    void request(const std::function<void(Wishes &)> &change);
    void controlLoop();
    void carryOut(const Wishes &wishes, bool asked, bool configurationChanged);
    void releaseRetiredOutsideTheLock();
    void rebuildVoices(int size);
    void applyBufferSize();
    void forgetVanishedDevice();
    void applyOutputDevice();
    void startOutput();
    // Makes `output` the one play() wakes (null: none). Cleared before that output is stopped.
    void setRendering(AudioOutput *output);

    AudioOutput &output_;
    AudioDevices &devices_;
    AudioOutput *fallback_;
    Clock clock_;
    Log log_;
    std::chrono::milliseconds retryInterval_;

    // Guarded by the engine lock.
    mutable std::mutex lock_;
    std::vector<Voice> voices_;
    std::vector<Retired> retired_; // in serial order; capacity reserved so that play() never grows it
    Mixer mixer_;
    OutputGate gate_{mixer_}; // what output_ renders; the fallback renders the mixer itself
    LatencyTrace *trace_ = nullptr;
    AudioOutput *rendering_ = nullptr;           // the output or the fallback once started; null otherwise
    std::optional<std::string> outputDeviceUID_; // written by the control thread only
    std::string chosenDevice_;                   // written by the control thread only

    // The control thread's own.
    bool lowLatency_ = true;
    uint64_t deviceRequests_ = 0;
    bool failing_ = false;     // the last start failed and was logged
    uint64_t lastAttempt_ = 0; // steady-clock time of the last start attempt, ns; 0 before the first

    std::atomic<bool> reachable_{true};

    // The wishes, and what wakes the control thread and those waiting for it.
    mutable std::mutex wishMutex_;
    std::condition_variable wake_;
    std::condition_variable settled_;
    Wishes wishes_;
    uint64_t requests_ = 0; // requests and reported changes so far
    uint64_t handled_ = 0;  // those the control thread has carried out
    bool configurationChanged_ = false;
    bool quit_ = false;
    std::thread control_;
};

} // namespace tc
