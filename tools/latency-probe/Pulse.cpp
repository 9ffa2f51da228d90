#include "Pulse.h"

#include "Harness.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

namespace tc::probe {

namespace {

constexpr size_t kFrameBytes = 2 * sizeof(float);
constexpr pa_usec_t kTimingIntervalUs = 50'000;

pa_sample_spec floatStereo() {
    pa_sample_spec sampleSpec{};
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = kRate;
    sampleSpec.channels = 2;
    return sampleSpec;
}

} // namespace

// ---- PulseLoop -----------------------------------------------------------------------------------------

PulseLoop::PulseLoop(const char *name) {
    loop_ = pa_threaded_mainloop_new();
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), name);
    pa_context_set_state_callback(
        context_,
        [](pa_context *, void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); },
        loop_);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        throw std::runtime_error(std::string("cannot reach the sound server: ") +
                                 pa_strerror(pa_context_errno(context_)));
    }
    pa_threaded_mainloop_start(loop_);
    lock();
    while (pa_context_get_state(context_) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            unlock();
            throw std::runtime_error(std::string("cannot reach the sound server: ") +
                                     pa_strerror(pa_context_errno(context_)));
        }
        pa_threaded_mainloop_wait(loop_);
    }
    unlock();
}

PulseLoop::~PulseLoop() {
    pa_threaded_mainloop_stop(loop_);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
}

void PulseLoop::waitReady(pa_stream *stream) {
    while (pa_stream_get_state(stream) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            throw std::runtime_error(std::string("stream failed: ") + pa_strerror(pa_context_errno(context_)));
        }
        pa_threaded_mainloop_wait(loop_);
    }
}

std::string serverName() {
    PulseLoop loop("latency-probe server");
    struct Answer {
        pa_threaded_mainloop *loop = nullptr;
        std::string name;
        bool done = false;
    } answer;
    answer.loop = loop.loop();
    loop.lock();
    pa_operation *operation = pa_context_get_server_info(
        loop.context(),
        [](pa_context *, const pa_server_info *info, void *data) {
            auto *a = static_cast<Answer *>(data);
            a->name = info && info->server_name ? info->server_name : "";
            a->done = true;
            pa_threaded_mainloop_signal(a->loop, 0);
        },
        &answer);
    while (operation && !answer.done && pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        pa_threaded_mainloop_wait(loop.loop());
    }
    if (operation) {
        pa_operation_unref(operation);
    }
    loop.unlock();
    return answer.name;
}

// ---- MonitorRecorder -----------------------------------------------------------------------------------

MonitorRecorder::MonitorRecorder(const std::string &source, int fragmentFrames) : loop_("latency-probe capture") {
    levels_.reserve(static_cast<size_t>(kRate) * 300);
    loop_.lock();
    const pa_sample_spec sampleSpec = floatStereo();
    stream_ = pa_stream_new(loop_.context(), "probe capture", &sampleSpec, nullptr);
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream *, void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); },
        loop_.loop());
    pa_stream_set_read_callback(stream_, &MonitorRecorder::onRead, this);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(fragmentFrames) * kFrameBytes;
    if (pa_stream_connect_record(stream_, source.c_str(), &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
        loop_.unlock();
        throw std::runtime_error("cannot record " + source);
    }
    try {
        loop_.waitReady(stream_);
    } catch (...) {
        loop_.unlock();
        throw;
    }
    timer_ =
        pa_context_rttime_new(loop_.context(), pa_rtclock_now() + kTimingIntervalUs, &MonitorRecorder::onTimer, this);
    loop_.unlock();
}

MonitorRecorder::~MonitorRecorder() {
    finish();
}

void MonitorRecorder::onRead(pa_stream *stream, size_t, void *self) {
    auto *recorder = static_cast<MonitorRecorder *>(self);
    const void *data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        std::lock_guard guard(recorder->mutex_);
        const size_t frames = bytes / kFrameBytes;
        if (!data) {
            recorder->levels_.insert(recorder->levels_.end(), frames, 0.0f); // a hole: silence
        } else {
            const auto *samples = static_cast<const float *>(data);
            for (size_t i = 0; i < frames; ++i) {
                recorder->levels_.push_back(std::max(std::fabs(samples[2 * i]), std::fabs(samples[2 * i + 1])));
            }
        }
        pa_stream_drop(stream);
    }
}

void MonitorRecorder::onTimer(pa_mainloop_api *, pa_time_event *event, const struct timeval *, void *self) {
    auto *recorder = static_cast<MonitorRecorder *>(self);
    if (pa_operation *operation = pa_stream_update_timing_info(recorder->stream_, &MonitorRecorder::onTiming, self)) {
        pa_operation_unref(operation);
    }
    pa_context_rttime_restart(recorder->loop_.context(), event, pa_rtclock_now() + kTimingIntervalUs);
}

void MonitorRecorder::onTiming(pa_stream *stream, int success, void *self) {
    const uint64_t arrived = harness::monotonicNs();
    auto *recorder = static_cast<MonitorRecorder *>(self);
    const pa_timing_info *info = pa_stream_get_timing_info(stream);
    if (!success || !info || info->write_index_corrupt) {
        return;
    }
    TimingSample sample;
    sample.arrived = arrived;
    sample.writeIndex = info->write_index;
    sample.sourceUs = info->source_usec;
    sample.sinkUs = info->sink_usec;
    sample.transportUs = info->transport_usec;
    std::lock_guard guard(recorder->mutex_);
    recorder->timing_.push_back(sample);
}

size_t MonitorRecorder::frames() {
    std::lock_guard guard(mutex_);
    return levels_.size();
}

std::vector<float> MonitorRecorder::finish() {
    if (!finished_) {
        finished_ = true;
        loop_.lock();
        if (timer_) {
            pa_threaded_mainloop_get_api(loop_.loop())->time_free(timer_);
            timer_ = nullptr;
        }
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
        loop_.unlock();
    }
    std::lock_guard guard(mutex_);
    return levels_;
}

std::vector<TimingSample> MonitorRecorder::timing() {
    std::lock_guard guard(mutex_);
    return timing_;
}

MonitorRecorder::Mapping MonitorRecorder::mapping() {
    Mapping result;
    for (const TimingSample &sample : timing()) {
        const double played = static_cast<double>(sample.arrived) - 1e3 * static_cast<double>(sample.transportUs);
        const double frame = static_cast<double>(sample.writeIndex) / kFrameBytes +
                             (static_cast<double>(sample.sourceUs) - static_cast<double>(sample.sinkUs)) * kRate / 1e6;
        result.points_.emplace_back(frame, played - frame * 1e9 / kRate);
    }
    std::sort(result.points_.begin(), result.points_.end());
    result.reports = result.points_.size();
    std::vector<double> deviations;
    double low = 0, high = 0;
    for (size_t i = 0; i < result.points_.size(); ++i) {
        const double local = result.localEstimate(result.points_[i].first);
        deviations.push_back(result.points_[i].second - local);
        low = i == 0 ? local : std::min(low, local);
        high = i == 0 ? local : std::max(high, local);
    }
    std::sort(deviations.begin(), deviations.end());
    result.spreadNs = harness::percentile(deviations, 95) - harness::percentile(deviations, 5);
    result.driftNs = high - low;
    return result;
}

double MonitorRecorder::Mapping::localEstimate(double frame) const {
    if (points_.empty()) {
        return 0;
    }
    if (stamped_) {
        auto at = std::upper_bound(points_.begin(), points_.end(), std::make_pair(frame, 1e300));
        return at == points_.begin() ? at->second : std::prev(at)->second;
    }
    const double window = kRate / 4.0;
    const auto begin = std::lower_bound(points_.begin(), points_.end(), std::make_pair(frame - window, -1e300));
    const auto end = std::upper_bound(points_.begin(), points_.end(), std::make_pair(frame + window, 1e300));
    std::vector<double> near;
    for (auto it = begin; it != end; ++it) {
        near.push_back(it->second);
    }
    if (near.empty()) {
        // No report close by: the nearest one.
        auto nearest = std::lower_bound(points_.begin(), points_.end(), std::make_pair(frame, -1e300));
        if (nearest == points_.end()) {
            --nearest;
        }
        return nearest->second;
    }
    std::sort(near.begin(), near.end());
    return harness::percentile(near, 50);
}

double MonitorRecorder::Mapping::timeOf(double frame) const {
    return localEstimate(frame) + frame * 1e9 / kRate;
}

double MonitorRecorder::Mapping::frameAt(double ns) const {
    if (stamped_ && !points_.empty()) {
        // The last piece that began by `ns`; a time in a gap (a cycle the capture lost) maps to the next piece.
        const auto timeOfPoint = [](const std::pair<double, double> &point) {
            return point.second + point.first * 1e9 / kRate;
        };
        auto next = std::partition_point(points_.begin(), points_.end(),
                                         [&](const auto &point) { return timeOfPoint(point) <= ns; });
        if (next == points_.begin()) {
            return points_.front().first - (timeOfPoint(points_.front()) - ns) * kRate / 1e9;
        }
        const auto &piece = *std::prev(next);
        const double frame = piece.first + (ns - timeOfPoint(piece)) * kRate / 1e9;
        return next == points_.end() ? frame : std::min(frame, next->first);
    }
    // Two steps converge: the local estimate changes by far less than a frame over the first step's error.
    double frame = (ns - (points_.empty() ? 0 : points_.front().second)) * kRate / 1e9;
    for (int i = 0; i < 3; ++i) {
        frame = (ns - localEstimate(frame)) * kRate / 1e9;
    }
    return frame;
}

// ---- ClickPlayer ---------------------------------------------------------------------------------------

ClickPlayer::ClickPlayer(int bufferFrames) : loop_("latency-probe click"), scratch_(kRate * 2) {
    loop_.lock();
    const pa_sample_spec sampleSpec = floatStereo();
    stream_ = pa_stream_new(loop_.context(), "probe click", &sampleSpec, nullptr);
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream *, void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); },
        loop_.loop());
    pa_stream_set_write_callback(stream_, &ClickPlayer::onWrite, this);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.tlength = static_cast<uint32_t>(bufferFrames) * kFrameBytes;
    attributes.prebuf = static_cast<uint32_t>(-1);
    attributes.minreq = static_cast<uint32_t>(-1);
    attributes.fragsize = static_cast<uint32_t>(-1);
    if (pa_stream_connect_playback(stream_, "tc_out", &attributes, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
        loop_.unlock();
        throw std::runtime_error("cannot play into tc_out");
    }
    try {
        loop_.waitReady(stream_);
    } catch (...) {
        loop_.unlock();
        throw;
    }
    loop_.unlock();
}

ClickPlayer::~ClickPlayer() {
    loop_.lock();
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    loop_.unlock();
}

uint32_t ClickPlayer::grantedFrames() {
    loop_.lock();
    const pa_buffer_attr *attributes = pa_stream_get_buffer_attr(stream_);
    const uint32_t frames = attributes ? attributes->tlength / static_cast<uint32_t>(kFrameBytes) : 0;
    loop_.unlock();
    return frames;
}

void ClickPlayer::onWrite(pa_stream *stream, size_t bytes, void *self) {
    auto *player = static_cast<ClickPlayer *>(self);
    bytes = std::min(bytes, player->scratch_.size() * sizeof(float));
    bytes -= bytes % kFrameBytes;
    if (bytes == 0) {
        return;
    }
    std::fill(player->scratch_.begin(), player->scratch_.end(), 0.0f);
    if (player->pending_.exchange(false, std::memory_order_acq_rel)) {
        const size_t frames = std::min<size_t>(bytes / kFrameBytes, kRate / 1000);
        std::fill(player->scratch_.begin(), player->scratch_.begin() + static_cast<long>(2 * frames), 0.5f);
    }
    pa_stream_write(stream, player->scratch_.data(), bytes, nullptr, 0, PA_SEEK_RELATIVE);
}

} // namespace tc::probe
