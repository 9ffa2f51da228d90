#include "engine/linux/SoundServerOutput.h"

#include <cstdio>
#include <exception>

namespace tc {

namespace {

PipeWireOutput::Options pipeWireOptions(const SoundServerOutput::Options &options) {
    PipeWireOutput::Options pipeWire = options.pipeWire;
    pipeWire.timeout = options.timeout;
    return pipeWire;
}

} // namespace

SoundServerOutput::SoundServerOutput() : SoundServerOutput(Options{}) {}

SoundServerOutput::SoundServerOutput(Options options)
    : log_(std::move(options.log)), pipeWireStream_(options.pipeWireStream), timeout_(options.timeout),
      pipeWire_(pipeWireOptions(options)), pulse_(options.timeout) {
    if (!log_) {
        log_ = [](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    }
}

SoundServerOutput::~SoundServerOutput() {
    stop();
}

std::optional<SoundServerOutput::Server> SoundServerOutput::askServer() {
    try {
        const auto deadline = PulseContext::deadlineIn(timeout_);
        watchLoop_ = std::make_unique<PulseLoop>("Tapchime.watch");
        PulseLoop::Lock lock(*watchLoop_);
        watch_ = std::make_unique<PulseContext>(*watchLoop_, "Tapchime");
        std::string error;
        if (!watch_->connect(deadline, error)) {
            return std::nullopt;
        }
        std::optional<Server> server;
        pa_operation *operation = pa_context_get_server_info(
            watch_->get(),
            [](pa_context *, const pa_server_info *info, void *data) {
                if (info) {
                    *static_cast<std::optional<Server> *>(data) =
                        Server{info->server_name ? info->server_name : "", info->cookie};
                }
            },
            &server);
        if (!watch_->wait(operation, deadline)) {
            return std::nullopt;
        }
        return server;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void SoundServerOutput::watchSinks(const std::string &deviceUID) {
    PulseLoop::Lock lock(*watchLoop_);
    chosenSink_ = PA_INVALID_INDEX;
    if (!deviceUID.empty()) {
        watch_->wait(pa_context_get_sink_info_by_name(
                         watch_->get(), deviceUID.c_str(),
                         [](pa_context *, const pa_sink_info *info, int, void *self) {
                             if (info) {
                                 static_cast<SoundServerOutput *>(self)->chosenSink_ = info->index;
                             }
                         },
                         this),
                     PulseContext::deadlineIn(timeout_));
    }
    watch_->subscribe(static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                      [this](pa_subscription_event_type_t type, uint32_t index) {
                          const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                          const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                          if (!handler_) {
                              return;
                          }
                          if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_REMOVE &&
                              index == chosenSink_) {
                              handler_(Change::deviceRemoved);
                          } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER && kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
                              handler_(Change::defaultChanged);
                          }
                      });
}

void SoundServerOutput::releaseWatch() {
    if (!watchLoop_) {
        return;
    }
    {
        PulseLoop::Lock lock(*watchLoop_);
        watch_.reset();
    }
    watchLoop_.reset();
}

bool SoundServerOutput::start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer,
                              std::string &error) {
    stop();
    if (pipeWireStream_) {
        // The server is asked at every start: it may have been replaced since the last one.
        const auto server = askServer();
        if (server && server->name.find("PipeWire") != std::string::npos) {
            pipeWire_.setExpectedCookie(server->cookie);
            std::string pipeWireError;
            if (pipeWire_.start(deviceUID, bufferFrames, renderer, pipeWireError)) {
                watchSinks(deviceUID);
                running_.store(&pipeWire_, std::memory_order_release);
                return true;
            }
            if (!logged_) {
                logged_ = true;
                log_("Tapchime: PipeWire's own stream cannot be opened (" + pipeWireError +
                     "); playing through its PulseAudio service");
            }
        }
        releaseWatch();
    }
    if (pulse_.start(deviceUID, bufferFrames, renderer, error)) {
        running_.store(&pulse_, std::memory_order_release);
        return true;
    }
    return false;
}

void SoundServerOutput::stop() {
    if (AudioOutput *output = running_.exchange(nullptr, std::memory_order_acq_rel)) {
        output->stop();
    }
    releaseWatch();
}

bool SoundServerOutput::isRunning() const {
    const AudioOutput *output = running_.load(std::memory_order_acquire);
    return output && output->isRunning();
}

std::string SoundServerOutput::deviceUID() const {
    const AudioOutput *output = running_.load(std::memory_order_acquire);
    return output ? output->deviceUID() : std::string();
}

void SoundServerOutput::setBufferFrames(int bufferFrames) {
    // Both keep it for their next start.
    pipeWire_.setBufferFrames(bufferFrames);
    pulse_.setBufferFrames(bufferFrames);
}

void SoundServerOutput::setChangeHandler(ChangeHandler handler) {
    pipeWire_.setChangeHandler(handler);
    pulse_.setChangeHandler(handler);
    handler_ = std::move(handler);
}

void SoundServerOutput::soundQueued() noexcept {
    if (AudioOutput *output = running_.load(std::memory_order_acquire)) {
        output->soundQueued();
    }
}

void SoundServerOutput::setLatencyTrace(LatencyTrace *trace) {
    pipeWire_.setLatencyTrace(trace);
    pulse_.setLatencyTrace(trace);
}

} // namespace tc
