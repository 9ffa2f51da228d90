#pragma once

#include "engine/AudioOutput.h"
#include "engine/OutputQueue.h"
#include "engine/linux/PulseStream.h"
#include "engine/linux/QueuePlacement.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tc {

class LatencyTrace;

// The sound output on PulseAudio (or PipeWire's PulseAudio service): one playback stream, 48 kHz stereo
// float, on a sink chosen by name or the server's default sink. The stream stays open and plays silence while
// nothing sounds, so the first key after a pause is not late.
//
// The stream asks the server (PA_STREAM_ADJUST_LATENCY) for a buffer plus two refill periods of 30 ms: the
// server gives its sink about half that buffer and asks for data once per refill period. The buffer is the
// requested one in normal mode and on PipeWire's service; in low-latency mode (a request of kLowLatencyFrames or
// less) on PulseAudio it is kShortestSinkRequestFrames, for which PulseAudio runs the sink at its shortest
// latency (0.5 ms): where a new sound starts is set by that latency, and the 128 frames of the mode would leave
// 1.3 ms there. A new sound
// does not wait behind the ~60 ms queued: the engine wakes the audio thread (soundQueued()), which mixes the
// sound into the frames already queued from just after what the server's sink may have taken (the frame being
// played, plus the sink's latency and a safety margin, from the last timing report) and writes them again over
// the same place with a negative seek, from the kept copy of what it wrote (OutputQueue). The server replaces
// data it still holds, so no sink rewind is needed, and a server that cannot rewind (PipeWire) loses nothing.
// (Starting sounds sooner, inside what the sink has mixed already, would rely on the sink rewinding: PulseAudio's
// null sink did not give such data back, and the sound lost its first milliseconds.) Where the server's part
// ends depends on the server: see QueuePlacement.h (PulseAudio: the sink's configured latency; PipeWire: where
// the next block its graph takes begins, since the configured latency it reports is wrong). Before the first
// timing report a sound starts at the end of the queue.
//
// On PulseAudio the stream is corked after kIdleAfter without a sound (and kIdleAfterOpen after it opened, when
// nothing sounded yet), so that the server stops asking for data and the audio thread sleeps. The frames queued
// stay in the server; the next sound is mixed into them from the frame the stream resumes with, and the stream
// is uncorked. On a desktop whose server suspends sinks that nothing plays on, the first sound after such a
// pause waits for the device to wake.
//
// start() gives up on a server that does not answer within `timeout` (connecting and opening the stream
// together), and so does latencyMicroseconds().
//
// Threads: see AudioOutput. The renderer and the change handler run on the connection's loop thread.
// Sink removal, a new default sink, a moved stream and a lost stream or server are reported.
class PulseAudioOutput final : public AudioOutput {
public:
    explicit PulseAudioOutput(std::chrono::milliseconds timeout = PulseContext::kTimeout);
    ~PulseAudioOutput() override;

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override { return running_.load(std::memory_order_acquire); }
    std::string deviceUID() const override { return deviceUID_; }
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }
    void soundQueued() noexcept override;

    // Where each render reports how long its first frame will wait before it is played, for diagnosis (null,
    // the default: nowhere). With a trace the stream keeps its timing information current, which costs the
    // audio thread a little; set it before start(). The trace must outlive the output.
    void setLatencyTrace(LatencyTrace *trace) { trace_ = trace; }

    // The name of the sink the stream plays on now; absent while stopped.
    std::optional<std::string> currentSink();
    // The buffer the server granted the stream for its latency mode, in frames: its target length beyond the
    // two refill periods; absent while stopped.
    std::optional<uint32_t> grantedBufferFrames();
    // The stream's latency now (how long a frame written now waits before the sink plays it), in
    // microseconds, from a fresh timing report of the server; absent while stopped. Waits for the server.
    std::optional<uint64_t> latencyMicroseconds();
    // How the stream finds where new sounds start, chosen from what the server is; valid while running.
    PlacementStrategy placementStrategy() const { return strategy_; }
    // How many new sounds were mixed into the queue and how many had to start at its end, since made.
    struct Placements {
        uint64_t intoQueue = 0;
        uint64_t atEnd = 0;
    };
    Placements placements() const;
    // How often the server reported that the stream ran dry, since made. Any thread.
    uint64_t underflows() const { return underflows_.load(std::memory_order_relaxed); }
    // Whether the stream is corked for want of sound (false while stopped). Any thread.
    bool isIdle() const { return idle_.load(std::memory_order_acquire); }

    static constexpr uint32_t kRefillFrames = 1440;   // the server asks for data every 30 ms consumed
    static constexpr pa_usec_t kSafetyMarginUs = 500; // new sounds start this far after the sink's part
    static constexpr int kLowLatencyFrames = 128;
    static constexpr uint32_t kShortestSinkRequestFrames = 48; // 1 ms: PulseAudio's sink latency floor is 0.5 ms
    static constexpr std::chrono::milliseconds kIdleAfter{5000};
    static constexpr std::chrono::milliseconds kIdleAfterOpen{1000};
    static constexpr unsigned kTimingEveryRefills = 4; // a timing report every 120 ms
    // serverQuantum: timing reports after varied intervals of 100 to 300 ms instead.
    static constexpr pa_usec_t kReportIntervalUs = 100'000;
    static constexpr pa_usec_t kReportJitterUs = 200'000;

private:
    static constexpr size_t kFrameBytes = 2 * sizeof(float);

    static void onWrite(pa_stream *stream, size_t bytes, void *self);
    static void onMoved(pa_stream *stream, void *self);
    static void onTiming(pa_stream *stream, void *self);
    static void onReportTimer(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self);
    static void onWake(pa_mainloop_api *api, pa_io_event *event, int fd, pa_io_event_flags_t flags, void *self);
    bool openStream(PulseContext::Deadline deadline, std::string &error);
    // Asks the server what it is and chooses strategy_; a server that does not say keeps sinkLatency.
    void chooseStrategy(PulseContext::Deadline deadline);
    // Loop thread: the first frame a new sound can start at, given the frame being played.
    uint64_t earliestStart(const pa_timing_info &timing, uint64_t played) const;
    // Loop thread: asks the server for a fresh timing report.
    void requestTiming();
    // Ends the stream and the connection; no callback runs once it returned.
    void release();
    // Loop thread: mixes waiting sounds into the queue, then appends `bytes`.
    void refill(size_t bytes);
    void placeNewSounds();
    // Loop thread: corks the stream once nothing has sounded for long enough; uncorks it.
    void corkWhenIdle();
    void uncork();
    // Loop thread: writes interleaved frames; the first chunk at `seekBytes` from the write position.
    void writeFrames(const float *frames, size_t count, int64_t seekBytes);
    // Loop thread: the stream's frame being played now, or a later one, from the last timing report (see
    // framePlayedAt); absent before the first report.
    std::optional<uint64_t> serverPlayFrame() const;
    void onEvent(pa_subscription_event_type_t type, uint32_t index);
    void lost();
    void report(Change change);
    static pa_buffer_attr bufferAttributes(int bufferFrames, PlacementStrategy strategy);
    // The buffer the stream asks the server for beyond its two refills, for a requested buffer size.
    static uint32_t sinkRequestFrames(int bufferFrames, PlacementStrategy strategy);

    const std::chrono::milliseconds timeout_;
    std::unique_ptr<PulseLoop> loop_; // then the context, then the stream, all while running
    std::unique_ptr<PulseContext> context_;
    std::unique_ptr<PulseStream> stream_;
    AudioRenderer *renderer_ = nullptr;
    std::string deviceUID_;
    int bufferFrames_ = 0;
    ChangeHandler handler_;
    LatencyTrace *trace_ = nullptr;
    std::atomic<bool> running_{false};
    uint32_t sinkIndex_ = PA_INVALID_INDEX; // loop thread

    // Waking the loop thread for new sounds: an eventfd the engine writes to, watched by the loop.
    int wakeFd_ = -1;
    // A stream watches wakeFd_; changed by start() and stop(), which never overlap soundQueued().
    bool wakeArmed_ = false;
    pa_io_event *wakeEvent_ = nullptr;
    unsigned refills_ = 0;                                        // loop thread
    PlacementStrategy strategy_ = PlacementStrategy::sinkLatency; // set by start()
    ServerReadClock readClock_;                                   // loop thread
    // serverQuantum: timing reports at varied moments, which the read clock needs (the refills come at one
    // moment of the server's cycle).
    pa_time_event *reportTimer_ = nullptr;
    uint32_t jitter_ = 0x9e3779b9u; // loop thread: the varied intervals

    std::unique_ptr<OutputQueue> queue_; // loop thread while a stream runs
    std::vector<float> interleaved_;     // loop thread: frames on their way to the stream
    std::atomic<uint64_t> intoQueue_{0};
    std::atomic<uint64_t> atEnd_{0};
    bool corked_ = false;           // loop thread
    int64_t uncorkedAtUs_ = 0;      // loop thread: when the stream was last uncorked (wall clock)
    bool soundedSinceOpen_ = false; // loop thread
    std::atomic<bool> idle_{false};
    std::atomic<uint64_t> underflows_{0};
};

} // namespace tc
