#include "engine/linux/PulseAudioDevices.h"

#include <exception>

namespace tc {

namespace {

// Set on the loop thread while change handlers run: a query from a handler would wait for the very
// thread it blocks, so it answers "nothing" at once instead.
thread_local bool inChangeHandler = false;

} // namespace

PulseAudioDevices::~PulseAudioDevices() {
    {
        std::lock_guard guard(watcherMutex_);
        if (watcher_.joinable()) {
            watcher_.join();
        }
    }
    std::lock_guard guard(query_);
    release();
}

void PulseAudioDevices::watchInBackground() {
    std::lock_guard guard(watcherMutex_);
    if (watcherBusy_.load()) {
        return; // its connection will carry the subscription
    }
    if (watcher_.joinable()) {
        watcher_.join(); // done already
    }
    watcherBusy_.store(true);
    watcher_ = std::thread([this] {
        {
            std::lock_guard query(query_);
            connection(); // keep a subscription open from now on
        }
        watcherBusy_.store(false);
    });
}

void PulseAudioDevices::release() {
    context_.reset();
    loop_.reset();
}

PulseContext *PulseAudioDevices::connection() {
    if (context_) {
        PulseLoop::Lock lock(*loop_);
        if (context_->isReady()) {
            return context_.get();
        }
    }
    release();
    try {
        const auto deadline = PulseContext::deadlineIn(timeout_);
        loop_ = std::make_unique<PulseLoop>("Tapchime.dev");
        PulseLoop::Lock lock(*loop_);
        context_ = std::make_unique<PulseContext>(*loop_, "Tapchime devices");
        context_->setLostHandler([this] { notify(); });
        std::string error;
        if (context_->connect(deadline, error)) {
            context_->subscribe(
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                [this](pa_subscription_event_type_t type, uint32_t) {
                    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                    // A sink's volume or state changes all the time; only its coming and going matters here.
                    if (facility == PA_SUBSCRIPTION_EVENT_SERVER || kind != PA_SUBSCRIPTION_EVENT_CHANGE) {
                        notify();
                    }
                });
            return context_.get();
        }
    } catch (const std::exception &) {
    }
    release();
    return nullptr;
}

std::vector<PulseAudioDevices::Sink> PulseAudioDevices::sinks() {
    if (inChangeHandler) {
        return {};
    }
    std::lock_guard guard(query_);
    PulseContext *pulse = connection();
    if (!pulse) {
        return {};
    }
    std::vector<Sink> sinks;
    PulseLoop::Lock lock(*loop_);
    auto onSink = [](pa_context *, const pa_sink_info *info, int last, void *data) {
        if (last == 0 && info) {
            static_cast<std::vector<Sink> *>(data)->push_back({info->index, info->name ? info->name : "",
                                                               info->description ? info->description : "",
                                                               info->channel_map.channels});
        }
    };
    if (!pulse->wait(pa_context_get_sink_info_list(pulse->get(), onSink, &sinks), PulseContext::deadlineIn(timeout_))) {
        return {};
    }
    return sinks;
}

std::vector<uint32_t> PulseAudioDevices::allDeviceIDs() {
    std::vector<uint32_t> ids;
    for (const Sink &sink : sinks()) {
        ids.push_back(sink.index);
    }
    return ids;
}

std::optional<uint32_t> PulseAudioDevices::deviceID(const std::string &uid) {
    for (const Sink &sink : sinks()) {
        if (sink.name == uid) {
            return sink.index;
        }
    }
    return std::nullopt;
}

std::vector<AudioDevice> PulseAudioDevices::outputDevices() {
    std::vector<AudioDevice> devices;
    for (const Sink &sink : sinks()) {
        if (sink.channels > 0 && !sink.name.empty() && !sink.description.empty()) {
            devices.push_back({sink.name, sink.description});
        }
    }
    return devices;
}

std::optional<AudioDevice> PulseAudioDevices::defaultOutput() {
    if (inChangeHandler) {
        return std::nullopt;
    }
    std::string name;
    {
        std::lock_guard guard(query_);
        PulseContext *pulse = connection();
        if (!pulse) {
            return std::nullopt;
        }
        PulseLoop::Lock lock(*loop_);
        auto onServer = [](pa_context *, const pa_server_info *info, void *data) {
            if (info && info->default_sink_name) {
                *static_cast<std::string *>(data) = info->default_sink_name;
            }
        };
        if (!pulse->wait(pa_context_get_server_info(pulse->get(), onServer, &name),
                         PulseContext::deadlineIn(timeout_)) ||
            name.empty()) {
            return std::nullopt;
        }
    }
    for (const AudioDevice &device : outputDevices()) {
        if (device.uid == name) {
            return device;
        }
    }
    return std::nullopt;
}

int PulseAudioDevices::addChangeHandler(ChangeHandler handler) {
    int token = 0;
    {
        std::lock_guard guard(handlersMutex_);
        token = nextToken_++;
        handlers_.emplace(token, std::move(handler));
    }
    if (!inChangeHandler) {
        watchInBackground();
    }
    return token;
}

void PulseAudioDevices::removeChangeHandler(int token) {
    std::lock_guard guard(handlersMutex_);
    handlers_.erase(token);
}

void PulseAudioDevices::notify() {
    std::lock_guard guard(handlersMutex_);
    inChangeHandler = true;
    for (auto &[token, handler] : handlers_) {
        handler();
    }
    inChangeHandler = false;
}

} // namespace tc
