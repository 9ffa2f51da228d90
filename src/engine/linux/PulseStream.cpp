#include "engine/linux/PulseStream.h"

#include <stdexcept>

namespace tc {

PulseStream::PulseStream(PulseContext &context, const std::string &name, const pa_sample_spec &sampleSpec,
                         const pa_channel_map *channelMap, pa_proplist *properties)
    : context_(context) {
    PulseLoop::Lock lock(context_.loop());
    stream_ = properties
                  ? pa_stream_new_with_proplist(context_.get(), name.c_str(), &sampleSpec, channelMap, properties)
                  : pa_stream_new(context_.get(), name.c_str(), &sampleSpec, channelMap);
    if (!stream_) {
        throw std::runtime_error(context_.lastError());
    }
    pa_stream_set_state_callback(stream_, &PulseStream::onState, this);
}

PulseStream::~PulseStream() {
    PulseLoop::Lock lock(context_.loop());
    disconnect();
    pa_stream_unref(stream_);
}

void PulseStream::disconnect() {
    PulseLoop::Lock lock(context_.loop());
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_set_overflow_callback(stream_, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    pa_stream_set_started_callback(stream_, nullptr, nullptr);
    pa_stream_set_suspended_callback(stream_, nullptr, nullptr);
    pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
    pa_stream_set_buffer_attr_callback(stream_, nullptr, nullptr);
    pa_stream_set_event_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
        pa_stream_disconnect(stream_);
    }
}

bool PulseStream::connectPlayback(const char *device, const pa_buffer_attr &attributes, pa_stream_flags_t flags,
                                  PulseContext::Deadline deadline, std::string &error) {
    const bool connected = pa_stream_connect_playback(stream_, device, &attributes, flags, nullptr, nullptr) == 0;
    return waitReady(connected, deadline, error);
}

bool PulseStream::connectRecord(const char *device, const pa_buffer_attr &attributes, pa_stream_flags_t flags,
                                PulseContext::Deadline deadline, std::string &error) {
    const bool connected = pa_stream_connect_record(stream_, device, &attributes, flags) == 0;
    return waitReady(connected, deadline, error);
}

bool PulseStream::waitReady(bool connected, PulseContext::Deadline deadline, std::string &error) {
    if (!connected) {
        error = context_.lastError();
        return false;
    }
    const auto settled = [this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; };
    if (!context_.waitUntil(settled, deadline)) {
        disconnect();
        error = "the sound server did not open the stream in time";
        return false;
    }
    if (!isReady()) {
        error = context_.lastError();
        return false;
    }
    return true;
}

void PulseStream::onState(pa_stream *stream, void *self) {
    auto *s = static_cast<PulseStream *>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    s->context_.loop().signal();
    if (state == PA_STREAM_READY) {
        s->wasReady_ = true;
    } else if (!PA_STREAM_IS_GOOD(state) && s->wasReady_) {
        s->wasReady_ = false;
        if (s->onLost_) {
            s->onLost_();
        }
    }
}

} // namespace tc
