#pragma once

#include "engine/AudioOutput.h"
#include "engine/linux/PipeWireLoop.h"

#include <pipewire/pipewire.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>

namespace tc {

class LatencyTrace;

// The sound output on PipeWire's own API: one pw_stream (48 kHz stereo float) on a sink chosen by its node
// name (target.object: the name the PulseAudio API lists the sink by) or the default sink, which the session
// manager moves the stream to when the default changes.
//
// PipeWire serves PulseAudio clients in cycles of at least 256 frames; its own streams ask the graph for the
// cycle they need (node.latency): the buffer size in frames, at 48 kHz. Each cycle the graph calls the stream
// on PipeWire's data thread, which renders exactly the frames the graph asks for with AudioRenderer::render(),
// so a new sound starts at the first frame the graph has not taken yet. That thread is made real-time
// (RealtimeScheduling): a late 128-frame cycle makes every stream of the graph skip.
//
// While the stream is active the whole graph runs at its cycle, other players included, so after `idleAfter`
// without a sound heard or queued (and about a second after it opened, when nothing sounded yet) it goes
// inactive and the graph returns to its own cycle; the next sound (soundQueued()) makes it active again and
// plays at the graph's next cycle.
//
// start() connects to the server libpipewire finds in the environment (PIPEWIRE_REMOTE, else the runtime
// folder's pipewire-0), checks that it is the expected one (setExpectedCookie()) and at least
// kMinServerVersion, and waits for the stream's first cycle; it gives up after `timeout`.
//
// Threads: see AudioOutput. The renderer runs on PipeWire's data thread; the change handler on the output's
// loop thread. A lost stream or server is reported; a removed sink is not (the session manager moves the
// stream to the default sink; SoundServerOutput reports the removal as the PulseAudio API sees it, since the
// device list comes from there).
class PipeWireOutput final : public AudioOutput {
public:
    struct Options {
        std::chrono::milliseconds timeout{2000};   // connecting and the first cycle together
        std::chrono::milliseconds idleAfter{5000}; // without a sound, the stream then goes inactive
    };
    // The oldest server whose streams follow target.object.
    static constexpr std::string_view kMinServerVersion = "0.3.64";

    PipeWireOutput();
    explicit PipeWireOutput(Options options);
    ~PipeWireOutput() override;
    PipeWireOutput(const PipeWireOutput &) = delete;
    PipeWireOutput &operator=(const PipeWireOutput &) = delete;

    // Only a server with this cookie is played on (the PulseAudio service's cookie, so that the stream plays
    // where the device list and the volume are read); absent, the default: any. Call before start().
    void setExpectedCookie(std::optional<uint32_t> cookie) { expectedCookie_ = cookie; }

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override { return running_.load(std::memory_order_acquire); }
    std::string deviceUID() const override { return deviceUID_; }
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }
    void soundQueued() noexcept override;

    // Where each cycle reports how long its first frame will wait before the device plays it, for diagnosis
    // (null, the default: nowhere). Set it before start(); the trace must outlive the output.
    void setLatencyTrace(LatencyTrace *trace) { trace_ = trace; }

    // For tests and diagnosis, any thread.
    // Whether the stream asks the graph for cycles now (false while idle, and while stopped).
    bool isActive() const { return active_.load(std::memory_order_acquire); }
    // The frames the graph asked for in the stream's last cycle; 0 before the first.
    uint32_t graphQuantum() const { return quantum_.load(std::memory_order_relaxed); }
    // The name of the sink the stream is linked to now; absent while stopped or not linked.
    std::optional<std::string> currentSink();

    // Whether a server of this version ("0.3.65") is recent enough.
    static bool isSupportedServerVersion(std::string_view version);

private:
    using Clock = PipeWireLoop::Clock;

    static void onProcess(void *self);
    static void onStreamState(void *self, pw_stream_state old, pw_stream_state state, const char *error);
    static void onCoreInfo(void *self, const pw_core_info *info);
    static void onCoreDone(void *self, uint32_t id, int seq);
    static void onCoreError(void *self, uint32_t id, int seq, int res, const char *message);
    static void onGlobal(void *self, uint32_t id, uint32_t permissions, const char *type, uint32_t version,
                         const spa_dict *props);
    static void onGlobalRemove(void *self, uint32_t id);
    static void onWake(void *self, uint64_t count);
    static void onIdleCheck(void *self, uint64_t expirations);

    // Loop locked, not on the loop thread.
    bool connect(Clock::time_point deadline, std::string &error);
    bool openStream(Clock::time_point deadline, std::string &error);
    // Ends the stream and the connection; no callback runs once it returned.
    void release();
    // Loop thread.
    void setActive(bool active);
    void lost();
    void report(Change change);
    static int64_t nowNanoseconds();

    const Options options_;
    std::optional<uint32_t> expectedCookie_;
    std::unique_ptr<PipeWireLoop> loop_; // then the context, core, registry and stream, all while running
    PipeWirePtr<pw_context> context_;
    PipeWirePtr<pw_core> core_;
    PipeWirePtr<pw_registry> registry_;
    PipeWirePtr<pw_stream> stream_;
    spa_hook coreListener_{};
    spa_hook registryListener_{};
    spa_hook streamListener_{};
    spa_source *wake_ = nullptr;      // signalled by soundQueued()
    spa_source *idleTimer_ = nullptr; // armed while the stream is active
    bool wakeArmed_ = false;          // changed by start() and stop(), which never overlap soundQueued()
    AudioRenderer *renderer_ = nullptr;
    LatencyTrace *trace_ = nullptr;
    std::string deviceUID_;
    int bufferFrames_ = 0;
    ChangeHandler handler_;
    std::atomic<bool> running_{false};
    std::atomic<bool> active_{false}; // written on the loop thread

    // Loop thread (or loop locked).
    struct Server {
        bool described = false; // the core's info arrived
        uint32_t cookie = 0;
        std::string version;
        int syncSeq = -1;
        bool synced = false;
    } server_;
    std::string failure_; // why the connection or the stream failed
    pw_stream_state state_ = PW_STREAM_STATE_UNCONNECTED;
    int64_t wokenAt_ = 0;                                     // the last soundQueued(), monotonic ns
    std::map<uint32_t, std::string> sinks_;                   // node id -> node name, audio sinks only
    std::map<uint32_t, std::pair<uint32_t, uint32_t>> links_; // link id -> output node, input node

    // PipeWire's data thread.
    pw_stream *processStream_ = nullptr; // set before the stream connects, cleared after it is destroyed
    std::atomic<pid_t> processThread_{0};
    std::atomic<int64_t> audibleAt_{0}; // the last cycle that was not silent, monotonic ns
    std::atomic<uint32_t> quantum_{0};
};

} // namespace tc
