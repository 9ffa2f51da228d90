#pragma once

#include "engine/AudioOutput.h"
#include "engine/linux/PulseConnection.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// The sound output on PulseAudio (or PipeWire's PulseAudio service): one playback stream, 48 kHz stereo
// float, on a sink chosen by name or the server's default sink, asking the server for a buffer of the
// requested frames (PA_STREAM_ADJUST_LATENCY). The stream stays open and plays silence while nothing sounds,
// so the first key after a pause is not late; it writes only what the server asks for, so no more than
// about the requested latency is ever queued ahead of a new sound.
//
// Threads: see AudioOutput. The renderer and the change handler run on the connection's loop thread.
// Sink removal, a new default sink, a moved stream and a lost stream or server are reported.
class PulseAudioOutput final : public AudioOutput {
public:
    PulseAudioOutput();
    ~PulseAudioOutput() override;

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override { return running_.load(std::memory_order_acquire); }
    std::string deviceUID() const override { return deviceUID_; }
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }

    // The name of the sink the stream plays on now; absent while stopped.
    std::optional<std::string> currentSink();
    // The target buffer the server granted the stream, in frames; absent while stopped.
    std::optional<uint32_t> grantedBufferFrames();
    // The stream's latency now (how long a frame written now waits before the sink plays it), in
    // microseconds, from a fresh timing report of the server; absent while stopped. Waits for the server.
    std::optional<uint64_t> latencyMicroseconds();

private:
    static constexpr size_t kChunkFrames = 1024;
    static constexpr size_t kFrameBytes = 2 * sizeof(float);

    static void onStreamState(pa_stream *stream, void *self);
    static void onWrite(pa_stream *stream, size_t bytes, void *self);
    static void onMoved(pa_stream *stream, void *self);
    bool openStream(std::string &error);
    void closeStream();
    void write(size_t bytes);
    void onEvent(pa_subscription_event_type_t type, uint32_t index);
    void lost();
    void report(Change change);
    static pa_buffer_attr bufferAttributes(int bufferFrames);

    std::unique_ptr<PulseConnection> connection_;
    pa_stream *stream_ = nullptr;
    AudioRenderer *renderer_ = nullptr;
    std::string deviceUID_;
    int bufferFrames_ = 0;
    ChangeHandler handler_;
    std::atomic<bool> running_{false};
    uint32_t sinkIndex_ = PA_INVALID_INDEX; // loop thread
    std::vector<float> left_;               // render scratch, loop thread
    std::vector<float> right_;
};

} // namespace tc
