#include "GraphCapture.h"

#include "engine/linux/RealtimeScheduling.h"

#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace tc::probe {

namespace {

constexpr int kCycleFrames = 1024;
// The real-time priority PipeWire gives its own streams' threads: the capture must not make cycles late.
constexpr int kCapturePriority = 88;

} // namespace

GraphCapture::GraphCapture(const std::string &sink, double seconds) {
    const auto frames = static_cast<size_t>(std::max(1.0, seconds) * kRate);
    levels_.reserve(frames);
    pieces_.reserve(frames / 16);
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("probe capture", nullptr);
    if (!loop_) {
        throw std::runtime_error("cannot make a PipeWire loop");
    }
    pw_properties *properties = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE, "Production", PW_KEY_NODE_NAME,
        "latency-probe capture", PW_KEY_TARGET_OBJECT, sink.c_str(), PW_KEY_STREAM_CAPTURE_SINK, "true",
        PW_KEY_NODE_LATENCY, (std::to_string(kCycleFrames) + "/" + std::to_string(kRate)).c_str(), nullptr);
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.process = &GraphCapture::onProcess;
        e.state_changed = &GraphCapture::onState;
        return e;
    }();
    stream_ = pw_stream_new_simple(pw_thread_loop_get_loop(loop_), "probe capture", properties, &events, this);
    if (!stream_) {
        pw_thread_loop_destroy(loop_);
        throw std::runtime_error("cannot make a PipeWire capture stream (is PIPEWIRE_REMOTE set?)");
    }
    uint8_t buffer[512];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32;
    format.rate = kRate;
    format.channels = 2;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod *params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    pw_thread_loop_start(loop_);
    pw_thread_loop_lock(loop_);
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                    PW_STREAM_FLAG_RT_PROCESS);
    int result = pw_stream_connect(stream_, PW_DIRECTION_INPUT, PW_ID_ANY, flags, params, 1);
    timespec until{};
    pw_thread_loop_get_time(loop_, &until, 3'000'000'000);
    while (result >= 0 && !failed_ && pw_stream_get_state(stream_, nullptr) != PW_STREAM_STATE_STREAMING) {
        if (pw_thread_loop_timed_wait_full(loop_, &until) != 0) {
            result = -1;
        }
    }
    while (result >= 0 && !failed_ && thread_.load(std::memory_order_acquire) == 0) {
        if (pw_thread_loop_timed_wait_full(loop_, &until) != 0) {
            result = -1;
        }
    }
    pw_thread_loop_unlock(loop_);
    if (result < 0 || failed_) {
        finish();
        throw std::runtime_error("the PipeWire capture of " + sink + " did not start");
    }
    // libpipewire leaves its data thread as it is unless its configuration loads its real-time module.
    tc::RealtimeScheduling::raise(thread_.load(std::memory_order_acquire), kCapturePriority);
}

GraphCapture::~GraphCapture() {
    finish();
}

void GraphCapture::onState(void *self, pw_stream_state, pw_stream_state state, const char *) {
    auto *capture = static_cast<GraphCapture *>(self);
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
        capture->failed_ = true;
    }
    pw_thread_loop_signal(capture->loop_, false);
}

void GraphCapture::onProcess(void *self) {
    auto *capture = static_cast<GraphCapture *>(self);
    if (capture->thread_.load(std::memory_order_relaxed) == 0) {
        capture->thread_.store(tc::RealtimeScheduling::currentThreadId(), std::memory_order_release);
        pw_thread_loop_signal(capture->loop_, false);
    }
    // Every buffer waiting, oldest first: after a cycle the capture was late for, two wait, the older from the
    // cycle before.
    std::array<pw_buffer *, 8> buffers{};
    size_t count = 0;
    while (count < buffers.size()) {
        buffers[count] = pw_stream_dequeue_buffer(capture->stream_);
        if (!buffers[count]) {
            break;
        }
        ++count;
    }
    pw_time time{};
    const bool timed = count > 0 && pw_stream_get_time_n(capture->stream_, &time, sizeof(time)) == 0;
    // The monitor hands on in each cycle what the sink played in the cycle before, which began a cycle's length
    // (the newest buffer's frames) earlier; each older buffer began its own length before the next.
    std::array<int64_t, 8> startedAt{};
    int64_t at = time.now;
    for (size_t i = count; i-- > 0;) {
        const spa_data &data = buffers[i]->buffer->datas[0];
        const size_t frames = data.chunk ? std::min(data.chunk->size, data.maxsize) / (2 * sizeof(float)) : 0;
        at -= static_cast<int64_t>(frames) * 1'000'000'000 / kRate;
        startedAt[i] = at;
    }
    std::vector<float> &levels = capture->levels_;
    for (size_t i = 0; i < count; ++i) {
        const spa_data &data = buffers[i]->buffer->datas[0];
        if (timed && data.data && data.chunk) {
            const auto *samples =
                reinterpret_cast<const float *>(static_cast<const uint8_t *>(data.data) + data.chunk->offset);
            const size_t frames = std::min(data.chunk->size, data.maxsize) / (2 * sizeof(float));
            if (levels.size() + frames <= levels.capacity() && capture->pieces_.size() < capture->pieces_.capacity()) {
                capture->pieces_.emplace_back(levels.size(), startedAt[i]);
                for (size_t frame = 0; frame < frames; ++frame) {
                    levels.push_back(std::max(std::fabs(samples[2 * frame]), std::fabs(samples[2 * frame + 1])));
                }
            }
        }
        pw_stream_queue_buffer(capture->stream_, buffers[i]);
    }
}

std::vector<float> GraphCapture::finish() {
    if (!finished_ && loop_) {
        finished_ = true;
        pw_thread_loop_lock(loop_);
        pw_stream_destroy(stream_); // no cycle runs after this
        stream_ = nullptr;
        pw_thread_loop_unlock(loop_);
        pw_thread_loop_stop(loop_);
        pw_thread_loop_destroy(loop_);
        loop_ = nullptr;
    }
    return levels_;
}

MonitorRecorder::Mapping GraphCapture::mapping() {
    finish();
    MonitorRecorder::Mapping result;
    result.stamped_ = true;
    for (const auto &[frame, now] : pieces_) {
        result.points_.emplace_back(static_cast<double>(frame),
                                    static_cast<double>(now) - static_cast<double>(frame) * 1e9 / kRate);
    }
    result.reports = result.points_.size();
    if (!result.points_.empty()) {
        // Each piece dates itself: the estimates of frame 0 only grow, by the time of the frames not captured.
        result.driftNs = result.points_.back().second - result.points_.front().second;
    }
    return result;
}

} // namespace tc::probe
