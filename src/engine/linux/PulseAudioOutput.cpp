#include "engine/linux/PulseAudioOutput.h"

#include "engine/AudioBuffer.h"

#include <algorithm>

namespace tc {

PulseAudioOutput::PulseAudioOutput() : left_(kChunkFrames), right_(kChunkFrames) {}

PulseAudioOutput::~PulseAudioOutput() {
    stop();
}

pa_buffer_attr PulseAudioOutput::bufferAttributes(int bufferFrames) {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(std::max(bufferFrames, 1)) * kFrameBytes;
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(-1);
    return attributes;
}

bool PulseAudioOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer,
                             std::string &error) {
    stop();
    renderer_ = &renderer;
    deviceUID_ = deviceUID;
    bufferFrames_ = bufferFrames;

    connection_ = std::make_unique<PulseConnection>("Tapchime");
    connection_->setFailureHandler([this] { lost(); });
    if (!connection_->connect(error) || !openStream(error)) {
        connection_.reset(); // stops the loop thread: nothing renders after this
        return false;
    }
    running_.store(true, std::memory_order_release);
    return true;
}

bool PulseAudioOutput::openStream(std::string &error) {
    PulseConnection::Lock lock(*connection_);
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = AudioBuffer::kSampleRate;
    spec.channels = AudioBuffer::kChannels;
    pa_channel_map map{};
    pa_channel_map_init_stereo(&map);
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
    stream_ = pa_stream_new_with_proplist(connection_->context(), "Key sounds", &spec, &map, properties);
    pa_proplist_free(properties);
    if (!stream_) {
        error = connection_->lastError();
        return false;
    }
    pa_stream_set_state_callback(stream_, &PulseAudioOutput::onStreamState, this);
    pa_stream_set_write_callback(stream_, &PulseAudioOutput::onWrite, this);
    pa_stream_set_moved_callback(stream_, &PulseAudioOutput::onMoved, this);

    const pa_buffer_attr attributes = bufferAttributes(bufferFrames_);
    const auto flags = PA_STREAM_ADJUST_LATENCY;
    const char *device = deviceUID_.empty() ? nullptr : deviceUID_.c_str();
    bool ready = pa_stream_connect_playback(stream_, device, &attributes, flags, nullptr, nullptr) == 0;
    while (ready && pa_stream_get_state(stream_) != PA_STREAM_READY) {
        ready = PA_STREAM_IS_GOOD(pa_stream_get_state(stream_));
        if (ready) {
            connection_->wait();
        }
    }
    if (!ready) {
        error = connection_->lastError();
        closeStream();
        return false;
    }
    sinkIndex_ = pa_stream_get_device_index(stream_);
    connection_->subscribe(static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                           [this](pa_subscription_event_type_t type, uint32_t index) { onEvent(type, index); });
    return true;
}

void PulseAudioOutput::closeStream() {
    if (!stream_) {
        return;
    }
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseAudioOutput::stop() {
    if (!connection_) {
        return;
    }
    {
        PulseConnection::Lock lock(*connection_);
        closeStream();
    }
    connection_.reset();
    running_.store(false, std::memory_order_release);
    sinkIndex_ = PA_INVALID_INDEX;
}

void PulseAudioOutput::setBufferFrames(int bufferFrames) {
    if (bufferFrames == bufferFrames_) {
        return;
    }
    bufferFrames_ = bufferFrames;
    if (!connection_) {
        return;
    }
    PulseConnection::Lock lock(*connection_);
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        const pa_buffer_attr attributes = bufferAttributes(bufferFrames);
        if (pa_operation *operation = pa_stream_set_buffer_attr(stream_, &attributes, nullptr, nullptr)) {
            pa_operation_unref(operation); // the answer is not awaited; a refusal keeps the old buffer
        }
    }
}

std::optional<std::string> PulseAudioOutput::currentSink() {
    if (!connection_) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        return std::nullopt;
    }
    const char *name = pa_stream_get_device_name(stream_);
    return name ? std::optional<std::string>(name) : std::nullopt;
}

std::optional<uint32_t> PulseAudioOutput::grantedBufferFrames() {
    if (!connection_) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        return std::nullopt;
    }
    const pa_buffer_attr *attributes = pa_stream_get_buffer_attr(stream_);
    return attributes ? std::optional<uint32_t>(attributes->tlength / kFrameBytes) : std::nullopt;
}

std::optional<uint64_t> PulseAudioOutput::latencyMicroseconds() {
    if (!connection_) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        return std::nullopt;
    }
    auto onUpdated = [](pa_stream *, int, void *connection) { static_cast<PulseConnection *>(connection)->signal(); };
    if (!connection_->wait(pa_stream_update_timing_info(stream_, onUpdated, connection_.get()))) {
        return std::nullopt;
    }
    const pa_timing_info *timing = pa_stream_get_timing_info(stream_);
    if (!timing || timing->write_index_corrupt || timing->read_index_corrupt) {
        return std::nullopt;
    }
    const int64_t queued = std::max<int64_t>(0, timing->write_index - timing->read_index);
    return timing->sink_usec + pa_bytes_to_usec(static_cast<uint64_t>(queued), pa_stream_get_sample_spec(stream_));
}

void PulseAudioOutput::onStreamState(pa_stream *stream, void *self) {
    auto *output = static_cast<PulseAudioOutput *>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        output->lost();
    }
    output->connection_->signal();
}

void PulseAudioOutput::onWrite(pa_stream *, size_t bytes, void *self) {
    static_cast<PulseAudioOutput *>(self)->write(bytes);
}

void PulseAudioOutput::write(size_t bytes) {
    // Write exactly what the server asks for: it keeps the queue at the requested buffer size, so a new
    // sound never waits behind a long stretch of already queued silence.
    while (bytes >= kFrameBytes) {
        void *data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) {
            return;
        }
        size = std::min(size, bytes);
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        auto *out = static_cast<float *>(data);
        const size_t frames = size / kFrameBytes;
        for (size_t done = 0; done < frames;) {
            const size_t chunk = std::min(kChunkFrames, frames - done);
            renderer_->render(left_.data(), right_.data(), chunk);
            for (size_t i = 0; i < chunk; ++i) {
                out[2 * (done + i)] = left_[i];
                out[2 * (done + i) + 1] = right_[i];
            }
            done += chunk;
        }
        if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        bytes -= size;
    }
}

void PulseAudioOutput::onMoved(pa_stream *stream, void *self) {
    auto *output = static_cast<PulseAudioOutput *>(self);
    output->sinkIndex_ = pa_stream_get_device_index(stream);
    output->report(Change::moved);
}

void PulseAudioOutput::onEvent(pa_subscription_event_type_t type, uint32_t index) {
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_REMOVE && index == sinkIndex_) {
        report(Change::deviceRemoved);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER && kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
        report(Change::defaultChanged);
    }
}

void PulseAudioOutput::lost() {
    if (running_.exchange(false, std::memory_order_acq_rel)) {
        report(Change::streamLost);
    }
}

void PulseAudioOutput::report(Change change) {
    if (handler_) {
        handler_(change);
    }
}

} // namespace tc
