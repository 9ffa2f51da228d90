#include "engine/linux/PipeWireOutput.h"

#include "engine/AudioBuffer.h"
#include "engine/LatencyTrace.h"
#include "engine/linux/RealtimeScheduling.h"
#include "engine/linux/ThreadName.h"

#include <spa/param/audio/format-utils.h>
#include <spa/utils/result.h>

#include <sched.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace tc {

namespace {

// The frames a cycle renders when the graph does not say (libpipewire before 0.3.49 leaves `requested` 0).
constexpr uint32_t kUnknownQuantum = 1024;

std::string latencyProperty(int bufferFrames) {
    return std::to_string(std::max(bufferFrames, 1)) + "/" + std::to_string(AudioBuffer::kSampleRate);
}

// The numbers of a dotted version ("0.3.65" -> 0, 3, 65); missing ones count as 0.
std::array<long, 3> versionNumbers(std::string_view version) {
    std::array<long, 3> numbers{};
    size_t at = 0;
    for (long &number : numbers) {
        if (at >= version.size()) {
            break;
        }
        const size_t dot = std::min(version.find('.', at), version.size());
        const std::string part(version.substr(at, dot - at));
        char *end = nullptr;
        number = std::strtol(part.c_str(), &end, 10);
        if (part.empty() || *end != '\0' || number < 0) {
            return {-1, -1, -1};
        }
        at = dot + 1;
    }
    return numbers;
}

} // namespace

PipeWireOutput::PipeWireOutput() : PipeWireOutput(Options{}) {}

PipeWireOutput::PipeWireOutput(Options options) : options_(options) {}

PipeWireOutput::~PipeWireOutput() {
    stop();
}

bool PipeWireOutput::isSupportedServerVersion(std::string_view version) {
    const auto numbers = versionNumbers(version);
    return numbers[0] >= 0 && numbers >= versionNumbers(kMinServerVersion);
}

int64_t PipeWireOutput::nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

bool PipeWireOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer,
                           std::string &error) {
    stop();
    renderer_ = &renderer;
    deviceUID_ = deviceUID;
    bufferFrames_ = bufferFrames;
    bool started = false;
    try {
        const auto deadline = Clock::now() + options_.timeout;
        loop_ = std::make_unique<PipeWireLoop>("Tapchime.pw");
        PipeWireLoop::Lock lock(*loop_);
        started = connect(deadline, error) && openStream(deadline, error);
    } catch (const std::exception &e) {
        error = e.what();
    }
    if (!started) {
        release(); // stops PipeWire's threads: nothing renders after this
        return false;
    }
    running_.store(true, std::memory_order_release);
    // Every cycle of the graph waits for this thread: on a busy machine it must not wait for a turn on a core.
    // PipeWire's data thread is left as it is when PipeWire made it real-time itself. Asked here, on the
    // caller's thread, because asking may wait for the system bus.
    const pid_t thread = processThread_.load(std::memory_order_acquire);
    const int policy = sched_getscheduler(thread);
    if (policy != SCHED_FIFO && policy != SCHED_RR) {
        RealtimeScheduling::raise(thread, RealtimeScheduling::kAudioPriority);
    }
    return true;
}

bool PipeWireOutput::connect(Clock::time_point deadline, std::string &error) {
    server_ = {};
    failure_.clear();
    context_.reset(pw_context_new(loop_->loop(), nullptr, 0));
    if (!context_) {
        error = std::string("cannot make a PipeWire context: ") + std::strerror(errno);
        return false;
    }
    core_.reset(pw_context_connect(context_.get(), nullptr, 0));
    if (!core_) {
        error = std::string("no PipeWire server: ") + std::strerror(errno);
        return false;
    }
    static const pw_core_events coreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.info = &PipeWireOutput::onCoreInfo;
        events.done = &PipeWireOutput::onCoreDone;
        events.error = &PipeWireOutput::onCoreError;
        return events;
    }();
    pw_core_add_listener(core_.get(), &coreListener_, &coreEvents, this);
    // The server describes itself (info) before it answers the sync.
    server_.syncSeq = pw_core_sync(core_.get(), PW_ID_CORE, 0);
    while (!server_.synced && failure_.empty()) {
        if (!loop_->wait(deadline)) {
            error = "the PipeWire server did not answer";
            return false;
        }
    }
    if (!failure_.empty() || !server_.described) {
        error = failure_.empty() ? "the PipeWire server did not describe itself" : failure_;
        return false;
    }
    if (!isSupportedServerVersion(server_.version)) {
        error = "PipeWire " + server_.version + " is older than " + std::string(kMinServerVersion);
        return false;
    }
    if (expectedCookie_ && *expectedCookie_ != server_.cookie) {
        error = "the PipeWire server found is not the one that serves the PulseAudio API";
        return false;
    }
    static const pw_registry_events registryEvents = [] {
        pw_registry_events events{};
        events.version = PW_VERSION_REGISTRY_EVENTS;
        events.global = &PipeWireOutput::onGlobal;
        events.global_remove = &PipeWireOutput::onGlobalRemove;
        return events;
    }();
    registry_.reset(pw_core_get_registry(core_.get(), PW_VERSION_REGISTRY, 0));
    if (!registry_) {
        error = "cannot list PipeWire's objects";
        return false;
    }
    pw_registry_add_listener(registry_.get(), &registryListener_, &registryEvents, this);
    return true;
}

bool PipeWireOutput::openStream(Clock::time_point deadline, std::string &error) {
    pw_properties *properties =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE,
                          "Notification", PW_KEY_APP_NAME, "Tapchime", PW_KEY_NODE_NAME, "Tapchime",
                          PW_KEY_NODE_DESCRIPTION, "Tapchime key sounds", nullptr);
    if (!properties) {
        error = "cannot make a PipeWire stream";
        return false;
    }
    pw_properties_set(properties, PW_KEY_NODE_LATENCY, latencyProperty(bufferFrames_).c_str());
    if (!deviceUID_.empty()) {
        pw_properties_set(properties, PW_KEY_TARGET_OBJECT, deviceUID_.c_str());
    }
    stream_.reset(pw_stream_new(core_.get(), "Key sounds", properties)); // takes the properties
    if (!stream_) {
        error = std::string("cannot make a PipeWire stream: ") + std::strerror(errno);
        return false;
    }
    static const pw_stream_events streamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &PipeWireOutput::onStreamState;
        events.process = &PipeWireOutput::onProcess;
        return events;
    }();
    pw_stream_add_listener(stream_.get(), &streamListener_, &streamEvents, this);
    processStream_ = stream_.get();
    processThread_.store(0, std::memory_order_relaxed);
    quantum_.store(0, std::memory_order_relaxed);

    pw_loop *loop = loop_->loop();
    wake_ = pw_loop_add_event(loop, &PipeWireOutput::onWake, this);
    idleTimer_ = pw_loop_add_timer(loop, &PipeWireOutput::onIdleCheck, this);
    if (!wake_ || !idleTimer_) {
        error = "cannot watch for new sounds";
        return false;
    }

    // Planar float: the renderer writes straight into the stream's two channel buffers.
    uint8_t podBuffer[512];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof(podBuffer));
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_F32P;
    format.rate = AudioBuffer::kSampleRate;
    format.channels = 2;
    format.position[0] = SPA_AUDIO_CHANNEL_FL;
    format.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod *params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                    PW_STREAM_FLAG_RT_PROCESS);
    if (const int result = pw_stream_connect(stream_.get(), PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1);
        result < 0) {
        error = std::string("cannot open a PipeWire stream: ") + spa_strerror(result);
        return false;
    }
    // Opening the stream is no sound: unless something is heard by the first idle check (a second from now,
    // long after the sounds handed over while it opened were rendered) the stream lets the graph go then.
    wokenAt_ = 0;
    audibleAt_.store(0, std::memory_order_relaxed);
    setActive(true);

    // The first cycle: the stream plays, and PipeWire's data thread is known. It tells nobody, so it is looked
    // for now and then.
    while (processThread_.load(std::memory_order_acquire) == 0) {
        if (!failure_.empty() || state_ == PW_STREAM_STATE_ERROR) {
            error = "the PipeWire stream failed: " + (failure_.empty() ? std::string("unknown error") : failure_);
            return false;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            error = "the PipeWire stream did not start playing";
            return false;
        }
        loop_->wait(std::min(deadline, now + std::chrono::milliseconds(5)));
    }
    wakeArmed_ = true;
    return true;
}

void PipeWireOutput::release() {
    if (!loop_) {
        return;
    }
    {
        PipeWireLoop::Lock lock(*loop_);
        wakeArmed_ = false;
        if (wake_) {
            pw_loop_destroy_source(loop_->loop(), wake_);
            wake_ = nullptr;
        }
        if (idleTimer_) {
            pw_loop_destroy_source(loop_->loop(), idleTimer_);
            idleTimer_ = nullptr;
        }
        if (stream_) {
            spa_hook_remove(&streamListener_);
            stream_.reset(); // waits for the data thread: no cycle runs after this
        }
        processStream_ = nullptr;
        if (registry_) {
            spa_hook_remove(&registryListener_);
            registry_.reset();
        }
        if (core_) {
            spa_hook_remove(&coreListener_);
            core_.reset();
        }
        context_.reset();
        sinks_.clear();
        links_.clear();
        state_ = PW_STREAM_STATE_UNCONNECTED;
        active_.store(false, std::memory_order_release);
    }
    loop_.reset();
}

void PipeWireOutput::stop() {
    if (!loop_) {
        return;
    }
    release();
    running_.store(false, std::memory_order_release);
}

void PipeWireOutput::setBufferFrames(int bufferFrames) {
    if (bufferFrames == bufferFrames_) {
        return;
    }
    bufferFrames_ = bufferFrames;
    if (!loop_) {
        return;
    }
    PipeWireLoop::Lock lock(*loop_);
    if (stream_) {
        const std::string latency = latencyProperty(bufferFrames);
        const spa_dict_item item = SPA_DICT_ITEM_INIT(PW_KEY_NODE_LATENCY, latency.c_str());
        const spa_dict dict = SPA_DICT_INIT(&item, 1);
        pw_stream_update_properties(stream_.get(), &dict);
    }
}

std::optional<std::string> PipeWireOutput::currentSink() {
    if (!loop_) {
        return std::nullopt;
    }
    PipeWireLoop::Lock lock(*loop_);
    if (!stream_) {
        return std::nullopt;
    }
    const uint32_t node = pw_stream_get_node_id(stream_.get());
    for (const auto &[id, ends] : links_) {
        if (ends.first == node) {
            if (const auto sink = sinks_.find(ends.second); sink != sinks_.end()) {
                return sink->second;
            }
        }
    }
    return std::nullopt;
}

// --- PipeWire's data thread ----------------------------------------------------------------------------------

void PipeWireOutput::onProcess(void *self) {
    auto *output = static_cast<PipeWireOutput *>(self);
    if (output->processThread_.load(std::memory_order_relaxed) == 0) {
        // Once per stream, two system calls: PipeWire's thread otherwise keeps the name of the thread that
        // made it.
        nameCurrentThread("Tapchime.out");
        output->processThread_.store(RealtimeScheduling::currentThreadId(), std::memory_order_release);
    }
    pw_stream *stream = output->processStream_;
    pw_buffer *buffer = pw_stream_dequeue_buffer(stream);
    if (!buffer) {
        return;
    }
    spa_buffer *frames = buffer->buffer;
    if (frames->n_datas < 2 || !frames->datas[0].data || !frames->datas[1].data) {
        pw_stream_queue_buffer(stream, buffer);
        return;
    }
    auto *left = static_cast<float *>(frames->datas[0].data);
    auto *right = static_cast<float *>(frames->datas[1].data);
    const uint32_t capacity = std::min(frames->datas[0].maxsize, frames->datas[1].maxsize) / sizeof(float);
    const auto requested = static_cast<uint32_t>(buffer->requested);
    const uint32_t count = std::min(requested != 0 ? requested : kUnknownQuantum, capacity);
    output->quantum_.store(requested, std::memory_order_relaxed);

    if (output->trace_) {
        pw_time time{};
        int64_t waitUs = -1;
        if (pw_stream_get_time_n(stream, &time, sizeof(time)) == 0 && time.rate.denom != 0) {
            waitUs = time.delay * 1'000'000 * time.rate.num / time.rate.denom;
        }
        output->trace_->beginRender(waitUs);
    }
    output->renderer_->render(left, right, count);
    // Silence is written as zeros: any other sample means a sound is playing, which keeps the stream active.
    const bool audible = std::any_of(left, left + count, [](float s) { return s != 0.0f; }) ||
                         std::any_of(right, right + count, [](float s) { return s != 0.0f; });
    if (audible) {
        output->audibleAt_.store(nowNanoseconds(), std::memory_order_relaxed);
    }
    for (uint32_t channel = 0; channel < 2; ++channel) {
        spa_chunk *chunk = frames->datas[channel].chunk;
        chunk->offset = 0;
        chunk->stride = sizeof(float);
        chunk->size = count * sizeof(float);
    }
    pw_stream_queue_buffer(stream, buffer);
}

// --- The loop thread ----------------------------------------------------------------------------------------

void PipeWireOutput::soundQueued() noexcept {
    if (wakeArmed_) {
        pw_loop_signal_event(loop_->loop(), wake_); // an eventfd write: never blocks
    }
}

void PipeWireOutput::onWake(void *self, uint64_t) {
    auto *output = static_cast<PipeWireOutput *>(self);
    output->wokenAt_ = nowNanoseconds();
    if (!output->active_.load(std::memory_order_relaxed)) {
        output->setActive(true);
    }
}

void PipeWireOutput::onIdleCheck(void *self, uint64_t) {
    auto *output = static_cast<PipeWireOutput *>(self);
    const int64_t lastSound = std::max(output->wokenAt_, output->audibleAt_.load(std::memory_order_relaxed));
    const auto idle = std::chrono::nanoseconds(nowNanoseconds() - lastSound);
    if (idle >= output->options_.idleAfter) {
        output->setActive(false);
    }
}

void PipeWireOutput::setActive(bool active) {
    pw_stream_set_active(stream_.get(), active);
    active_.store(active, std::memory_order_release);
    // While active, the idle check runs once a second (more often for a short idle time).
    const auto every = std::min<std::chrono::nanoseconds>(std::chrono::seconds(1), options_.idleAfter / 4);
    timespec interval{};
    if (active) {
        interval.tv_sec = static_cast<time_t>(every.count() / 1'000'000'000);
        interval.tv_nsec = static_cast<long>(every.count() % 1'000'000'000);
    }
    pw_loop_update_timer(loop_->loop(), idleTimer_, &interval, &interval, false);
}

void PipeWireOutput::onStreamState(void *self, pw_stream_state, pw_stream_state state, const char *error) {
    auto *output = static_cast<PipeWireOutput *>(self);
    output->state_ = state;
    if (state == PW_STREAM_STATE_ERROR) {
        output->failure_ = error ? error : "stream error";
        output->lost();
    } else if (state == PW_STREAM_STATE_UNCONNECTED) {
        output->lost();
    }
    output->loop_->signal();
}

void PipeWireOutput::onCoreInfo(void *self, const pw_core_info *info) {
    auto *output = static_cast<PipeWireOutput *>(self);
    output->server_.described = true;
    output->server_.cookie = info->cookie;
    output->server_.version = info->version ? info->version : "";
}

void PipeWireOutput::onCoreDone(void *self, uint32_t id, int seq) {
    auto *output = static_cast<PipeWireOutput *>(self);
    if (id == PW_ID_CORE && seq == output->server_.syncSeq) {
        output->server_.synced = true;
        output->loop_->signal();
    }
}

void PipeWireOutput::onCoreError(void *self, uint32_t id, int, int res, const char *message) {
    auto *output = static_cast<PipeWireOutput *>(self);
    if (id != PW_ID_CORE) {
        return; // about one object (a link that could not be made); the stream reports its own failures
    }
    output->failure_ = message && *message ? message : spa_strerror(res);
    output->lost(); // the connection is gone (EPIPE) or unusable
    output->loop_->signal();
}

void PipeWireOutput::onGlobal(void *self, uint32_t id, uint32_t, const char *type, uint32_t, const spa_dict *props) {
    auto *output = static_cast<PipeWireOutput *>(self);
    if (!props) {
        return;
    }
    if (std::strcmp(type, PW_TYPE_INTERFACE_Node) == 0) {
        const char *mediaClass = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
        const char *name = spa_dict_lookup(props, PW_KEY_NODE_NAME);
        if (mediaClass && name && std::strcmp(mediaClass, "Audio/Sink") == 0) {
            output->sinks_[id] = name;
        }
    } else if (std::strcmp(type, PW_TYPE_INTERFACE_Link) == 0) {
        const char *from = spa_dict_lookup(props, PW_KEY_LINK_OUTPUT_NODE);
        const char *to = spa_dict_lookup(props, PW_KEY_LINK_INPUT_NODE);
        if (from && to) {
            output->links_[id] = {static_cast<uint32_t>(std::strtoul(from, nullptr, 10)),
                                  static_cast<uint32_t>(std::strtoul(to, nullptr, 10))};
        }
    }
}

void PipeWireOutput::onGlobalRemove(void *self, uint32_t id) {
    auto *output = static_cast<PipeWireOutput *>(self);
    output->links_.erase(id);
    output->sinks_.erase(id);
}

void PipeWireOutput::lost() {
    if (running_.exchange(false, std::memory_order_acq_rel)) {
        report(Change::streamLost);
    }
}

void PipeWireOutput::report(Change change) {
    if (handler_) {
        handler_(change);
    }
}

} // namespace tc
