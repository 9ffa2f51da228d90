#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tc {

// Off-by-default timing of the key path, for diagnosing late sounds: when the keyboard thread received a key
// event, when the audio engine's play() returned, when the audio thread rendered the new voice's first frame,
// and how long the output stream said that frame would wait before it is played. It also records named
// moments of the program (marks such as "soundsReady").
//
// The composition root makes one only when $TAPCHIME_LATENCY_TRACE names a file, and hands it to the router,
// the engine and the output; while tracing is off every hook costs one null-pointer test. The hooks only store
// into a fixed ring of atomics (no allocation, no lock, no I/O on the keyboard or audio thread); the trace's
// own low-priority thread ("Tapchime.trace") writes each finished record to the file as one line:
//
//   key serial=S received=NS returned=NS rendered=NS latency_us=US
//   mark NAME time=NS
//
// Times are CLOCK_MONOTONIC nanoseconds (std::chrono::steady_clock), comparable between processes of one
// machine. `rendered` is 0 when the sound was never rendered (the output stopped first); `latency_us` is -1
// when the stream could not tell. The writer sleeps while no record is waiting.
class LatencyTrace {
public:
    static constexpr const char *kEnvironmentVariable = "TAPCHIME_LATENCY_TRACE";
    static constexpr size_t kSlots = 1024; // records in flight; far more than a typist makes in a second

    // The trace named by $TAPCHIME_LATENCY_TRACE, or null when it is unset, empty or cannot be opened.
    static std::unique_ptr<LatencyTrace> fromEnvironment();
    // Writes to `file` (taken over and closed by the trace).
    explicit LatencyTrace(std::FILE *file);
    ~LatencyTrace();
    LatencyTrace(const LatencyTrace &) = delete;
    LatencyTrace &operator=(const LatencyTrace &) = delete;

    // The clock of every record: monotonic nanoseconds.
    static uint64_t now() noexcept;

    // Keyboard thread (or any thread that then plays): an event arrived. Kept per thread for posted().
    void keyReceived() noexcept;
    // Audio engine, under its lock: the play command `serial` is about to be handed to the mixer (before the
    // audio thread can see it), then was handed over and play() returns now.
    void beginPost(uint64_t serial) noexcept;
    void posted(uint64_t serial) noexcept;
    // Audio thread, before each render: the frames about to be rendered will wait this long in the stream
    // before they are played (microseconds; negative when unknown).
    void beginRender(int64_t latencyMicroseconds) noexcept;
    // Audio thread, from the mixer: every command up to `serial` took effect in the render that began last
    // (without a beginRender() since the last call: now, latency unknown).
    void applied(uint64_t serial) noexcept;
    // Any thread but the audio thread: writes "mark NAME time=NS" at once.
    void mark(const std::string &name);

    // Writes every finished record now (the writer thread does this by itself).
    void flush();

private:
    struct Slot {
        std::atomic<uint64_t> serial{0}; // published by beginPost()
        std::atomic<uint64_t> received{0};
        std::atomic<uint64_t> returned{0}; // published by posted(); 0 before
        std::atomic<uint64_t> rendered{0};
        std::atomic<int64_t> latency{-1};
        std::atomic<uint64_t> done{0}; // == serial once rendered; published last by applied()
    };

    void run();
    // Writes the finished records from next_ on; true while some record still waits for its render.
    bool drain(bool force);

    std::FILE *file_;
    std::mutex fileMutex_; // the writer thread and mark()
    std::array<Slot, kSlots> slots_;
    std::atomic<uint64_t> lastPosted_{0};
    std::atomic<uint32_t> wakeups_{0}; // bumped by every record and by the destructor; the writer waits on it
    std::atomic<bool> quit_{false};
    uint64_t next_ = 1; // writer side: the oldest serial not yet written

    // Audio thread only.
    uint64_t renderTime_ = 0;
    int64_t renderLatency_ = -1;
    uint64_t lastApplied_ = 0;

    std::thread writer_;
};

} // namespace tc
