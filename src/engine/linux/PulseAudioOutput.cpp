#include "engine/linux/PulseAudioOutput.h"

#include "engine/AudioBuffer.h"
#include "engine/LatencyTrace.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tc {

PulseAudioOutput::PulseAudioOutput()
    : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), interleaved_(2 * OutputQueue::kHistoryFrames) {}

PulseAudioOutput::~PulseAudioOutput() {
    stop();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

pa_buffer_attr PulseAudioOutput::bufferAttributes(int bufferFrames) {
    // With PA_STREAM_ADJUST_LATENCY the server gives its sink about half of what lies beyond two requests, and
    // keeps the rest in the stream's queue. The requests come every kRefillFrames consumed: the only wake-ups
    // while nothing sounds.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = (static_cast<uint32_t>(std::max(bufferFrames, 1)) + 2 * kRefillFrames) * kFrameBytes;
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = kRefillFrames * kFrameBytes;
    attributes.fragsize = static_cast<uint32_t>(-1);
    return attributes;
}

bool PulseAudioOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer,
                             std::string &error) {
    stop();
    renderer_ = &renderer;
    deviceUID_ = deviceUID;
    bufferFrames_ = bufferFrames;
    queue_ = std::make_unique<OutputQueue>(renderer);

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
    pa_sample_spec sampleSpec{};
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = AudioBuffer::kSampleRate;
    sampleSpec.channels = AudioBuffer::kChannels;
    pa_channel_map map{};
    pa_channel_map_init_stereo(&map);
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
    stream_ = pa_stream_new_with_proplist(connection_->context(), "Key sounds", &sampleSpec, &map, properties);
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
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_->loop());
    if (wakeFd_ >= 0) {
        wakeEvent_ = api->io_new(api, wakeFd_, PA_IO_EVENT_INPUT, &PulseAudioOutput::onWake, this);
        wakeArmed_ = wakeEvent_ != nullptr;
    }
    // The first timing report; later ones come with the refills.
    if (pa_operation *operation = pa_stream_update_timing_info(stream_, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    connection_->subscribe(static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                           [this](pa_subscription_event_type_t type, uint32_t index) { onEvent(type, index); });
    return true;
}

void PulseAudioOutput::closeStream() {
    wakeArmed_ = false;
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_->loop());
    if (wakeEvent_) {
        api->io_free(wakeEvent_);
        wakeEvent_ = nullptr;
    }
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
    if (!attributes) {
        return std::nullopt;
    }
    const uint32_t refills = 2 * attributes->minreq;
    return (attributes->tlength > refills ? attributes->tlength - refills : 0) / kFrameBytes;
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

void PulseAudioOutput::onWrite(pa_stream *stream, size_t bytes, void *self) {
    auto *output = static_cast<PulseAudioOutput *>(self);
    output->refill(bytes);
    // A fresh timing report now and then: where the sink plays is extrapolated from the last one.
    if (++output->refills_ % kTimingEveryRefills == 0) {
        if (pa_operation *operation = pa_stream_update_timing_info(stream, nullptr, nullptr)) {
            pa_operation_unref(operation);
        }
    }
}

void PulseAudioOutput::onWake(pa_mainloop_api *, pa_io_event *, int fd, pa_io_event_flags_t, void *self) {
    uint64_t count = 0;
    while (read(fd, &count, sizeof(count)) > 0) {
    }
    auto *output = static_cast<PulseAudioOutput *>(self);
    if (output->stream_ && pa_stream_get_state(output->stream_) == PA_STREAM_READY) {
        output->placeNewSounds();
    }
}

void PulseAudioOutput::soundQueued() noexcept {
    if (wakeArmed_) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof(one)); // never blocks: EFD_NONBLOCK
    }
}

void PulseAudioOutput::refill(size_t bytes) {
    placeNewSounds();
    // Rendered straight into the stream's memory, one block per request where it fits: every block the server
    // receives costs a message back when it is done with it, so fewer blocks mean fewer wake-ups.
    for (size_t frames = bytes / kFrameBytes; frames > 0;) {
        void *data = nullptr;
        size_t size = frames * kFrameBytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) {
            return;
        }
        size = std::min({size, frames * kFrameBytes, OutputQueue::kHistoryFrames * kFrameBytes});
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        queue_->append(static_cast<float *>(data), size / kFrameBytes);
        if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        frames -= size / kFrameBytes;
    }
}

void PulseAudioOutput::placeNewSounds() {
    if (!renderer_->hasNewSounds()) {
        return;
    }
    // Where the sounds go: as early as the server still holds the queued data itself. Its sink takes data in
    // blocks of up to its latency ahead of what it plays, so that is the sink's latency after the frame being
    // played, and a margin for the way to the server.
    size_t back = 0;
    int64_t waitUs = -1;
    const pa_timing_info *timing = pa_stream_get_timing_info(stream_);
    if (const auto played = serverPlayFrame(); played && timing) {
        const uint64_t written = queue_->written();
        const uint64_t keep = (timing->configured_sink_usec + kSafetyMarginUs) * AudioBuffer::kSampleRate / 1'000'000;
        const uint64_t start = std::min(written, *played + keep);
        back = static_cast<size_t>(written - start);
        waitUs = static_cast<int64_t>((start - std::min(start, *played)) * 1'000'000 / AudioBuffer::kSampleRate);
    }
    if (trace_) {
        trace_->beginRender(waitUs);
    }
    const size_t frames = queue_->placeNewSounds(back, interleaved_.data());
    if (frames > 0) {
        writeFrames(interleaved_.data(), frames, -static_cast<int64_t>(frames * kFrameBytes));
        intoQueue_.fetch_add(1, std::memory_order_relaxed);
    } else {
        atEnd_.fetch_add(1, std::memory_order_relaxed);
    }
}

std::optional<uint64_t> PulseAudioOutput::serverPlayFrame() const {
    const pa_timing_info *timing = pa_stream_get_timing_info(stream_);
    if (!timing || timing->read_index_corrupt || timing->read_index < 0) {
        return std::nullopt;
    }
    const auto read = static_cast<uint64_t>(timing->read_index) / kFrameBytes;
    if (!timing->playing) {
        return read; // nothing of the stream plays yet: it starts where the sink will first read
    }
    // When the server answered, its sink played sink_usec before what it had read; it has gone on since.
    const uint64_t ahead = timing->sink_usec * AudioBuffer::kSampleRate / 1'000'000;
    const uint64_t since = pa_timeval_age(&timing->timestamp) * AudioBuffer::kSampleRate / 1'000'000;
    return (read > ahead ? read - ahead : 0) + since;
}

void PulseAudioOutput::writeFrames(const float *frames, size_t count, int64_t seekBytes) {
    size_t done = 0;
    while (done < count) {
        void *data = nullptr;
        size_t size = (count - done) * kFrameBytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) {
            return;
        }
        size = std::min(size, (count - done) * kFrameBytes);
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        std::memcpy(data, frames + 2 * done, size);
        if (pa_stream_write(stream_, data, size, nullptr, done == 0 ? seekBytes : 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        done += size / kFrameBytes;
    }
}

PulseAudioOutput::Placements PulseAudioOutput::placements() const {
    return {intoQueue_.load(std::memory_order_relaxed), atEnd_.load(std::memory_order_relaxed)};
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
