#pragma once

#include "engine/linux/PulseContext.h"

#include <pulse/pulseaudio.h>

#include <functional>
#include <string>

namespace tc {

// One playback or record stream on a ready PulseContext: owns the pa_stream and, when destroyed, clears its
// callbacks (also those its owner set with pa_stream_set_…_callback on get()), disconnects and releases it.
// The owner sets its write, read or moved callbacks before connecting.
//
// Threads: as PulseContext. Destroyed before its context, and never from inside one of its own callbacks
// (disconnect() may be called there).
class PulseStream {
public:
    // Runs on the loop thread when a ready stream fails or ends (its device went away, the server did).
    using LostHandler = std::function<void()>;

    // Throws std::runtime_error with the server's reason when the context cannot make the stream.
    PulseStream(PulseContext &context, const std::string &name, const pa_sample_spec &sampleSpec,
                const pa_channel_map *channelMap, pa_proplist *properties = nullptr);
    ~PulseStream();
    PulseStream(const PulseStream &) = delete;
    PulseStream &operator=(const PulseStream &) = delete;

    // Connect to `device` (null: the server's default) and wait until the stream is ready, fails or the
    // deadline passes. False with a readable reason in `error` when it is not ready; the stream is then finished.
    bool connectPlayback(const char *device, const pa_buffer_attr &attributes, pa_stream_flags_t flags,
                         PulseContext::Deadline deadline, std::string &error);
    bool connectRecord(const char *device, const pa_buffer_attr &attributes, pa_stream_flags_t flags,
                       PulseContext::Deadline deadline, std::string &error);

    // Set before connecting.
    void setLostHandler(LostHandler handler) { onLost_ = std::move(handler); }
    // Ends the stream: no callback of it runs after this, and the server lets go of it. Also from inside one
    // of its callbacks or handlers.
    void disconnect();

    bool isReady() const { return pa_stream_get_state(stream_) == PA_STREAM_READY; }
    pa_stream *get() const { return stream_; }

private:
    bool waitReady(bool connected, PulseContext::Deadline deadline, std::string &error);
    static void onState(pa_stream *stream, void *self);

    PulseContext &context_;
    pa_stream *stream_ = nullptr;
    LostHandler onLost_;
    bool wasReady_ = false; // loop locked
};

} // namespace tc
