#include "engine/linux/PulseAudioDevices.h"

namespace tc {

namespace {

// Set on the loop thread while change handlers run: a query from a handler would wait for the very
// thread it blocks, so it answers "nothing" at once instead.
thread_local bool inChangeHandler = false;

} // namespace

PulseAudioDevices::~PulseAudioDevices() {
    std::lock_guard guard(query_);
    connection_.reset();
}

PulseConnection *PulseAudioDevices::connection() {
    if (connection_) {
        PulseConnection::Lock lock(*connection_);
        if (connection_->isReady()) {
            return connection_.get();
        }
    }
    connection_.reset();
    auto connection = std::make_unique<PulseConnection>("Tapchime devices");
    connection->setFailureHandler([this] { notify(); });
    std::string error;
    if (!connection->connect(error)) {
        return nullptr;
    }
    connection_ = std::move(connection);
    {
        PulseConnection::Lock lock(*connection_);
        connection_->subscribe(
            static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
            [this](pa_subscription_event_type_t type, uint32_t) {
                const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                // A sink's volume or state changes all the time; only its coming and going matters here.
                if (facility == PA_SUBSCRIPTION_EVENT_SERVER || kind != PA_SUBSCRIPTION_EVENT_CHANGE) {
                    notify();
                }
            });
    }
    return connection_.get();
}

std::vector<PulseAudioDevices::Sink> PulseAudioDevices::sinks() {
    if (inChangeHandler) {
        return {};
    }
    std::lock_guard guard(query_);
    PulseConnection *pulse = connection();
    if (!pulse) {
        return {};
    }
    struct Query {
        PulseConnection *pulse;
        std::vector<Sink> sinks;
    } query{pulse, {}};
    PulseConnection::Lock lock(*pulse);
    auto onSink = [](pa_context *, const pa_sink_info *info, int last, void *data) {
        auto *q = static_cast<Query *>(data);
        if (last == 0 && info) {
            q->sinks.push_back({info->index, info->name ? info->name : "", info->description ? info->description : "",
                                info->channel_map.channels});
        }
        if (last != 0) {
            q->pulse->signal();
        }
    };
    if (!pulse->wait(pa_context_get_sink_info_list(pulse->context(), onSink, &query))) {
        return {};
    }
    return std::move(query.sinks);
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
        PulseConnection *pulse = connection();
        if (!pulse) {
            return std::nullopt;
        }
        struct Query {
            PulseConnection *pulse;
            std::string name;
        } query{pulse, {}};
        PulseConnection::Lock lock(*pulse);
        auto onServer = [](pa_context *, const pa_server_info *info, void *data) {
            auto *q = static_cast<Query *>(data);
            if (info && info->default_sink_name) {
                q->name = info->default_sink_name;
            }
            q->pulse->signal();
        };
        if (!pulse->wait(pa_context_get_server_info(pulse->context(), onServer, &query)) || query.name.empty()) {
            return std::nullopt;
        }
        name = std::move(query.name);
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
        std::lock_guard guard(query_);
        connection(); // keep a subscription open from now on
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
