#pragma once

// The probe's PulseAudio side: a recorder of the sink monitor that keeps the server's timing reports for
// mapping captured frames to the monotonic clock, and a click player that writes straight into the sink.

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tc::probe {

constexpr int kRate = 48000;

// A threaded main loop with one ready context; the server from $PULSE_SERVER.
class PulseLoop {
public:
    explicit PulseLoop(const char *name);
    ~PulseLoop();
    PulseLoop(const PulseLoop &) = delete;
    PulseLoop &operator=(const PulseLoop &) = delete;

    pa_threaded_mainloop *loop() const { return loop_; }
    pa_context *context() const { return context_; }
    void lock() { pa_threaded_mainloop_lock(loop_); }
    void unlock() { pa_threaded_mainloop_unlock(loop_); }
    // With the lock held: waits until the stream is ready; throws when it fails.
    void waitReady(pa_stream *stream);

private:
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
};

// The sound server's own name ("pulseaudio", "PulseAudio (on PipeWire 0.3.65)"); throws when it cannot be
// reached.
std::string serverName();

// One timing report of the record stream, taken when its answer arrived.
struct TimingSample {
    uint64_t arrived = 0;   // monotonic ns when the answer arrived
    int64_t writeIndex = 0; // bytes the server has put into the stream's queue
    uint64_t sourceUs = 0;  // data still in the source
    uint64_t sinkUs = 0;    // for a monitor: how far the sink has rendered ahead of what it plays
    uint64_t transportUs = 0;
};

// Records a source (the sink's monitor) as per-frame levels (the louder channel's magnitude) and asks the
// server for a timing report every 50 ms.
//
// Mapping: a timing report says that the frame at writeIndex + (source − sink latency) of the stream is being
// played at the moment the server answered (arrival − transport time). Every report gives one estimate of
// the monotonic time of frame 0. The estimates do not stay put: when the sink rewinds (a stream that ran dry
// gets data again) its monitor has already passed on what it rendered, so the capture gains a few frames.
// A frame is therefore mapped with the median of the reports within a quarter of a second of it, and the
// spread of the reports around their local median is the mapping's error.
//
// On PipeWire the record stream's reported latencies do not hold still (the mapping's spread is about 5 ms
// and it drifts by tens of milliseconds over a run): there the probe records with GraphCapture instead.
class MonitorRecorder {
public:
    MonitorRecorder(const std::string &source, int fragmentFrames);
    ~MonitorRecorder();

    // Frames recorded so far.
    size_t frames();
    // Stops and returns the levels.
    std::vector<float> finish();
    std::vector<TimingSample> timing();

    // The map from captured frames to the monotonic clock.
    class Mapping {
    public:
        // Monotonic ns at which `frame` was played.
        double timeOf(double frame) const;
        // The frame played at monotonic time `ns` (inverse of timeOf, to a frame).
        double frameAt(double ns) const;
        double spreadNs = 0; // p5 to p95 of the reports around their local median
        double driftNs = 0;  // how far the local mappings moved over the whole run (max - min)
        size_t reports = 0;

    private:
        friend class MonitorRecorder;
        friend class GraphCapture;
        double localEstimate(double frame) const;
        std::vector<std::pair<double, double>> points_; // (frame played, estimate of frame 0's time), by frame
        bool stamped_ = false; // each point dates the frames up to the next exactly (its cycle's own time)
    };
    Mapping mapping();

private:
    static void onRead(pa_stream *stream, size_t bytes, void *self);
    static void onTimer(pa_mainloop_api *api, pa_time_event *event, const struct timeval *tv, void *self);
    static void onTiming(pa_stream *stream, int success, void *self);

    PulseLoop loop_;
    pa_stream *stream_ = nullptr;
    pa_time_event *timer_ = nullptr;
    std::mutex mutex_;
    std::vector<float> levels_;
    std::vector<TimingSample> timing_;
    bool finished_ = false;
};

// A playback stream into the sink with a small buffer (frames) that writes silence, and a click (1 ms at 0.5)
// at the start of the first write after click() was called: the rig's own floor, with nothing of the program
// in the path.
class ClickPlayer {
public:
    explicit ClickPlayer(int bufferFrames);
    ~ClickPlayer();
    // The granted target buffer in frames.
    uint32_t grantedFrames();
    // Asks for a click in the next write; returns at once.
    void click() { pending_.store(true, std::memory_order_release); }

private:
    static void onWrite(pa_stream *stream, size_t bytes, void *self);

    PulseLoop loop_;
    pa_stream *stream_ = nullptr;
    std::atomic<bool> pending_{false};
    std::vector<float> scratch_;
};

} // namespace tc::probe
