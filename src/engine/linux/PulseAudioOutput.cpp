#include "engine/linux/PulseAudioOutput.h"

#include "engine/AudioBuffer.h"
#include "engine/LatencyTrace.h"
#include "engine/linux/RealtimeScheduling.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <exception>

namespace tc {

PulseAudioOutput::PulseAudioOutput(std::chrono::milliseconds timeout)
    : timeout_(timeout), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      interleaved_(2 * OutputQueue::kHistoryFrames) {}

PulseAudioOutput::~PulseAudioOutput() {
    stop();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

uint32_t PulseAudioOutput::sinkRequestFrames(int bufferFrames, PlacementStrategy strategy) {
    // PipeWire's service gives its streams at least one quantum of its graph whatever they ask, and takes its
    // data a quantum at a time: there the request stays as it is.
    if (strategy == PlacementStrategy::sinkLatency && bufferFrames <= kLowLatencyFrames) {
        return kShortestSinkRequestFrames;
    }
    return static_cast<uint32_t>(std::max(bufferFrames, 1));
}

pa_buffer_attr PulseAudioOutput::bufferAttributes(int bufferFrames, PlacementStrategy strategy) {
    // With PA_STREAM_ADJUST_LATENCY the server gives its sink about half of what lies beyond two requests, and
    // keeps the rest in the stream's queue. The requests come every kRefillFrames consumed: the only wake-ups
    // while sounds play.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = (sinkRequestFrames(bufferFrames, strategy) + 2 * kRefillFrames) * kFrameBytes;
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

    bool started = false;
    try {
        const auto deadline = PulseContext::deadlineIn(timeout_);
        loop_ = std::make_unique<PulseLoop>("Tapchime.out");
        PulseLoop::Lock lock(*loop_);
        context_ = std::make_unique<PulseContext>(*loop_, "Tapchime");
        context_->setLostHandler([this] { lost(); });
        started = context_->connect(deadline, error);
        if (started) {
            chooseStrategy(deadline);
            started = openStream(deadline, error);
        }
    } catch (const std::exception &e) {
        error = e.what();
    }
    if (!started) {
        release(); // stops the loop thread: nothing renders after this
        return false;
    }
    running_.store(true, std::memory_order_release);
    // The loop thread mixes every new sound into the stream: on a busy machine it must not wait for a turn on
    // a core. Asked here, on the caller's thread, because asking may wait for the system bus.
    RealtimeScheduling::raise(loop_->threadId(), RealtimeScheduling::kAudioPriority);
    return true;
}

void PulseAudioOutput::chooseStrategy(PulseContext::Deadline deadline) {
    strategy_ = PlacementStrategy::sinkLatency;
    struct Answer {
        std::string name;
        std::string version;
    } answer;
    pa_operation *operation = pa_context_get_server_info(
        context_->get(),
        [](pa_context *, const pa_server_info *info, void *data) {
            if (info) {
                auto *a = static_cast<Answer *>(data);
                a->name = info->server_name ? info->server_name : "";
                a->version = info->server_version ? info->server_version : "";
            }
        },
        &answer);
    if (context_->wait(operation, deadline)) {
        strategy_ = placementStrategyFor(answer.name, answer.version);
    }
}

bool PulseAudioOutput::openStream(PulseContext::Deadline deadline, std::string &error) {
    pa_sample_spec sampleSpec{};
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = AudioBuffer::kSampleRate;
    sampleSpec.channels = AudioBuffer::kChannels;
    pa_channel_map map{};
    pa_channel_map_init_stereo(&map);
    std::unique_ptr<pa_proplist, decltype(&pa_proplist_free)> properties(pa_proplist_new(), &pa_proplist_free);
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, "event");
    stream_ = std::make_unique<PulseStream>(*context_, "Key sounds", sampleSpec, &map, properties.get());
    stream_->setLostHandler([this] { lost(); });
    pa_stream *stream = stream_->get();
    pa_stream_set_write_callback(stream, &PulseAudioOutput::onWrite, this);
    pa_stream_set_moved_callback(stream, &PulseAudioOutput::onMoved, this);
    pa_stream_set_latency_update_callback(stream, &PulseAudioOutput::onTiming, this);
    pa_stream_set_underflow_callback(
        stream,
        [](pa_stream *, void *self) {
            static_cast<PulseAudioOutput *>(self)->underflows_.fetch_add(1, std::memory_order_relaxed);
        },
        this);
    readClock_.reset();

    const pa_buffer_attr attributes = bufferAttributes(bufferFrames_, strategy_);
    const char *device = deviceUID_.empty() ? nullptr : deviceUID_.c_str();
    if (!stream_->connectPlayback(device, attributes, PA_STREAM_ADJUST_LATENCY, deadline, error)) {
        return false;
    }
    sinkIndex_ = pa_stream_get_device_index(stream);
    corked_ = false;
    uncorkedAtUs_ = 0;
    soundedSinceOpen_ = false;
    idle_.store(false, std::memory_order_release);
    pa_mainloop_api *api = loop_->api();
    if (wakeFd_ >= 0) {
        wakeEvent_ = api->io_new(api, wakeFd_, PA_IO_EVENT_INPUT, &PulseAudioOutput::onWake, this);
        wakeArmed_ = wakeEvent_ != nullptr;
    }
    // The first timing report; later ones come with the refills (on PipeWire from the report timer).
    requestTiming();
    if (strategy_ == PlacementStrategy::serverQuantum) {
        reportTimer_ = pa_context_rttime_new(context_->get(), pa_rtclock_now() + kReportIntervalUs,
                                             &PulseAudioOutput::onReportTimer, this);
    }
    context_->subscribe(static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                        [this](pa_subscription_event_type_t type, uint32_t index) { onEvent(type, index); });
    return true;
}

void PulseAudioOutput::release() {
    if (!loop_) {
        return;
    }
    {
        PulseLoop::Lock lock(*loop_);
        wakeArmed_ = false;
        if (reportTimer_) {
            loop_->api()->time_free(reportTimer_);
            reportTimer_ = nullptr;
        }
        if (wakeEvent_) {
            loop_->api()->io_free(wakeEvent_);
            wakeEvent_ = nullptr;
        }
        stream_.reset();
        context_.reset();
    }
    loop_.reset();
}

void PulseAudioOutput::stop() {
    if (!loop_) {
        return;
    }
    release();
    running_.store(false, std::memory_order_release);
    idle_.store(false, std::memory_order_release);
    sinkIndex_ = PA_INVALID_INDEX;
}

void PulseAudioOutput::setBufferFrames(int bufferFrames) {
    if (bufferFrames == bufferFrames_) {
        return;
    }
    bufferFrames_ = bufferFrames;
    if (!loop_) {
        return;
    }
    PulseLoop::Lock lock(*loop_);
    if (stream_ && stream_->isReady()) {
        const pa_buffer_attr attributes = bufferAttributes(bufferFrames, strategy_);
        if (pa_operation *operation = pa_stream_set_buffer_attr(stream_->get(), &attributes, nullptr, nullptr)) {
            pa_operation_unref(operation); // the answer is not awaited; a refusal keeps the old buffer
        }
    }
}

std::optional<std::string> PulseAudioOutput::currentSink() {
    if (!loop_) {
        return std::nullopt;
    }
    PulseLoop::Lock lock(*loop_);
    if (!stream_ || !stream_->isReady()) {
        return std::nullopt;
    }
    const char *name = pa_stream_get_device_name(stream_->get());
    return name ? std::optional<std::string>(name) : std::nullopt;
}

std::optional<uint32_t> PulseAudioOutput::grantedBufferFrames() {
    if (!loop_) {
        return std::nullopt;
    }
    PulseLoop::Lock lock(*loop_);
    if (!stream_ || !stream_->isReady()) {
        return std::nullopt;
    }
    const pa_buffer_attr *attributes = pa_stream_get_buffer_attr(stream_->get());
    if (!attributes) {
        return std::nullopt;
    }
    const uint32_t refills = 2 * attributes->minreq;
    return (attributes->tlength > refills ? attributes->tlength - refills : 0) / kFrameBytes;
}

std::optional<uint64_t> PulseAudioOutput::latencyMicroseconds() {
    if (!loop_) {
        return std::nullopt;
    }
    PulseLoop::Lock lock(*loop_);
    if (!stream_ || !stream_->isReady()) {
        return std::nullopt;
    }
    pa_stream *stream = stream_->get();
    if (!context_->wait(pa_stream_update_timing_info(stream, nullptr, nullptr), PulseContext::deadlineIn(timeout_))) {
        return std::nullopt;
    }
    const pa_timing_info *timing = pa_stream_get_timing_info(stream);
    if (!timing || timing->write_index_corrupt || timing->read_index_corrupt) {
        return std::nullopt;
    }
    const int64_t queued = std::max<int64_t>(0, timing->write_index - timing->read_index);
    return timing->sink_usec + pa_bytes_to_usec(static_cast<uint64_t>(queued), pa_stream_get_sample_spec(stream));
}

void PulseAudioOutput::onWrite(pa_stream *, size_t bytes, void *self) {
    auto *output = static_cast<PulseAudioOutput *>(self);
    output->refill(bytes);
    // A fresh timing report now and then: where the sink plays is extrapolated from the last one. On PipeWire
    // the report timer asks instead: reports that come with the refills all come at one moment of its cycle.
    if (++output->refills_ % kTimingEveryRefills == 0 && output->strategy_ == PlacementStrategy::sinkLatency) {
        output->requestTiming();
    }
}

void PulseAudioOutput::requestTiming() {
    if (pa_operation *operation = pa_stream_update_timing_info(stream_->get(), nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

void PulseAudioOutput::onTiming(pa_stream *stream, void *self) {
    const pa_timing_info *timing = pa_stream_get_timing_info(stream);
    if (timing && !timing->read_index_corrupt && timing->read_index >= 0) {
        static_cast<PulseAudioOutput *>(self)->readClock_.addReport(
            static_cast<int64_t>(pa_timeval_load(&timing->timestamp)),
            static_cast<uint64_t>(timing->read_index) / kFrameBytes);
    }
}

void PulseAudioOutput::onReportTimer(pa_mainloop_api *, pa_time_event *event, const struct timeval *, void *self) {
    auto *output = static_cast<PulseAudioOutput *>(self);
    if (output->stream_ && output->stream_->isReady()) {
        output->requestTiming();
    }
    output->jitter_ = output->jitter_ * 1664525u + 1013904223u;
    const pa_usec_t interval = kReportIntervalUs + (output->jitter_ >> 8) % kReportJitterUs;
    pa_context_rttime_restart(output->context_->get(), event, pa_rtclock_now() + interval);
}

void PulseAudioOutput::onWake(pa_mainloop_api *, pa_io_event *, int fd, pa_io_event_flags_t, void *self) {
    uint64_t count = 0;
    while (read(fd, &count, sizeof(count)) > 0) {
    }
    auto *output = static_cast<PulseAudioOutput *>(self);
    if (output->stream_ && output->stream_->isReady() && output->renderer_->hasNewSounds()) {
        output->placeNewSounds();
        output->uncork();
    }
}

void PulseAudioOutput::soundQueued() noexcept {
    if (wakeArmed_) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof(one)); // never blocks: EFD_NONBLOCK
    }
}

void PulseAudioOutput::refill(size_t bytes) {
    pa_stream *stream = stream_->get();
    placeNewSounds();
    // Rendered straight into the stream's memory, one block per request where it fits: every block the server
    // receives costs a message back when it is done with it, so fewer blocks mean fewer wake-ups.
    for (size_t frames = bytes / kFrameBytes; frames > 0;) {
        void *data = nullptr;
        size_t size = frames * kFrameBytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) {
            return;
        }
        size = std::min({size, frames * kFrameBytes, OutputQueue::kHistoryFrames * kFrameBytes});
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        queue_->append(static_cast<float *>(data), size / kFrameBytes);
        if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        frames -= size / kFrameBytes;
    }
    corkWhenIdle();
}

void PulseAudioOutput::corkWhenIdle() {
    // PipeWire's service keeps its own pace (the read clock learns from a stream that keeps running).
    if (corked_ || strategy_ != PlacementStrategy::sinkLatency) {
        return;
    }
    soundedSinceOpen_ = soundedSinceOpen_ || queue_->soundEnd() != 0;
    const auto after = soundedSinceOpen_ ? kIdleAfter : kIdleAfterOpen;
    const auto quietFrames = static_cast<uint64_t>(after.count()) * AudioBuffer::kSampleRate / 1000;
    if (queue_->written() - queue_->soundEnd() < quietFrames) {
        return;
    }
    corked_ = true;
    idle_.store(true, std::memory_order_release);
    pa_operation *operation = pa_stream_cork(
        stream_->get(), 1,
        [](pa_stream *, int, void *self) {
            // Where the stream stopped: the frame it resumes with, which the next sound starts from.
            auto *output = static_cast<PulseAudioOutput *>(self);
            if (output->stream_ && output->corked_) {
                output->requestTiming();
            }
        },
        this);
    if (operation) {
        pa_operation_unref(operation);
    }
}

void PulseAudioOutput::uncork() {
    if (!corked_) {
        return;
    }
    corked_ = false;
    idle_.store(false, std::memory_order_release);
    struct timeval now {};
    pa_gettimeofday(&now);
    uncorkedAtUs_ = static_cast<int64_t>(pa_timeval_load(&now));
    if (pa_operation *operation = pa_stream_cork(stream_->get(), 0, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    requestTiming();
}

void PulseAudioOutput::placeNewSounds() {
    if (!renderer_->hasNewSounds()) {
        return;
    }
    pa_stream *stream = stream_->get();
    // Where the sounds go: as early as the server still holds the queued data itself (earliestStart, by what the
    // server is).
    size_t back = 0;
    int64_t waitUs = -1;
    const pa_timing_info *timing = pa_stream_get_timing_info(stream);
    if (const auto played = serverPlayFrame(); played && timing) {
        const uint64_t written = queue_->written();
        const uint64_t start = std::min(written, earliestStart(*timing, *played));
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
        if (strategy_ == PlacementStrategy::serverQuantum) {
            requestTiming(); // at a moment of its own: the read clock learns from it
        }
    } else {
        atEnd_.fetch_add(1, std::memory_order_relaxed);
    }
}

uint64_t PulseAudioOutput::earliestStart(const pa_timing_info &timing, uint64_t played) const {
    constexpr uint64_t kMarginFrames = kSafetyMarginUs * AudioBuffer::kSampleRate / 1'000'000;
    if (strategy_ == PlacementStrategy::serverQuantum) {
        // The frame the graph will not have taken once the sound reaches the server; until the reports tell,
        // the largest usual quantum after the frame being played.
        struct timeval now {};
        pa_gettimeofday(&now);
        const auto arrives = static_cast<int64_t>(pa_timeval_load(&now) + kSafetyMarginUs);
        if (const auto untaken = readClock_.firstUntakenFrame(arrives)) {
            return *untaken;
        }
        return played + ServerReadClock::kUnknownFrames + kMarginFrames;
    }
    return played + timing.configured_sink_usec * AudioBuffer::kSampleRate / 1'000'000 + kMarginFrames;
}

std::optional<uint64_t> PulseAudioOutput::serverPlayFrame() const {
    const pa_timing_info *timing = pa_stream_get_timing_info(stream_->get());
    if (!timing || timing->read_index_corrupt || timing->read_index < 0) {
        return std::nullopt;
    }
    const ReportedPlay report{static_cast<uint64_t>(timing->read_index) / kFrameBytes,
                              timing->sink_usec * AudioBuffer::kSampleRate / 1'000'000, timing->playing != 0,
                              static_cast<int64_t>(pa_timeval_load(&timing->timestamp))};
    struct timeval now {};
    pa_gettimeofday(&now);
    return framePlayedAt(report, static_cast<int64_t>(pa_timeval_load(&now)), corked_, uncorkedAtUs_);
}

void PulseAudioOutput::writeFrames(const float *frames, size_t count, int64_t seekBytes) {
    pa_stream *stream = stream_->get();
    size_t done = 0;
    while (done < count) {
        void *data = nullptr;
        size_t size = (count - done) * kFrameBytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) {
            return;
        }
        size = std::min(size, (count - done) * kFrameBytes);
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        std::memcpy(data, frames + 2 * done, size);
        if (pa_stream_write(stream, data, size, nullptr, done == 0 ? seekBytes : 0, PA_SEEK_RELATIVE) < 0) {
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
