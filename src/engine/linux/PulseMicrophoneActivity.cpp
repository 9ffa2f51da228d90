#include "engine/linux/PulseMicrophoneActivity.h"

#include <atomic>
#include <cstring>
#include <map>

namespace tc {

namespace {

struct Output {
    uint32_t source = PA_INVALID_INDEX;
    bool corked = false;
    bool peakDetect = false;
};

// A volume meter's stream: PulseAudio resamples peak-detect streams with the "peaks" method; PipeWire marks
// them as monitor streams.
bool isPeakDetect(const pa_source_output_info &info) {
    if (info.resample_method && std::strcmp(info.resample_method, "peaks") == 0) {
        return true;
    }
    const char *monitor = info.proplist ? pa_proplist_gets(info.proplist, "stream.monitor") : nullptr;
    return monitor && std::strcmp(monitor, "true") == 0;
}

} // namespace

// Everything but `inUse` and `connection` lives on the loop thread.
struct PulseMicrophoneActivity::Impl {
    std::map<uint32_t, bool> sources; // index → is a monitor of a sink
    std::map<uint32_t, Output> outputs;
    std::atomic<bool> inUse = false;
    std::unique_ptr<PulseWatchConnection> connection;

    void update() {
        bool any = false;
        for (const auto &[index, output] : outputs) {
            auto source = sources.find(output.source);
            if (source != sources.end() && !source->second && !output.corked && !output.peakDetect) {
                any = true;
                break;
            }
        }
        inUse = any;
    }

    static void onSource(pa_context *, const pa_source_info *info, int eol, void *self) {
        auto *impl = static_cast<Impl *>(self);
        if (eol == 0 && info) {
            impl->sources[info->index] = info->monitor_of_sink != PA_INVALID_INDEX;
        }
        impl->update();
    }

    static void onOutput(pa_context *, const pa_source_output_info *info, int eol, void *self) {
        auto *impl = static_cast<Impl *>(self);
        if (eol == 0 && info) {
            impl->outputs[info->index] = Output{info->source, info->corked != 0, isPeakDetect(*info)};
        }
        impl->update();
    }

    void ready(pa_context *context) {
        sources.clear();
        outputs.clear();
        releaseOperation(pa_context_get_source_info_list(context, &Impl::onSource, this));
        releaseOperation(pa_context_get_source_output_info_list(context, &Impl::onOutput, this));
    }

    void event(pa_context *context, pa_subscription_event_type_t type, uint32_t index) {
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
            if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
                sources.erase(index);
                update();
            } else {
                releaseOperation(pa_context_get_source_info_by_index(context, index, &Impl::onSource, this));
            }
        } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT) {
            if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
                outputs.erase(index);
                update();
            } else {
                releaseOperation(pa_context_get_source_output_info(context, index, &Impl::onOutput, this));
            }
        }
    }

    void lost() {
        sources.clear();
        outputs.clear();
        inUse = false;
    }
};

PulseMicrophoneActivity::PulseMicrophoneActivity(PulseWatchOptions options) : impl_(std::make_unique<Impl>()) {
    auto *impl = impl_.get();
    impl_->connection = std::make_unique<PulseWatchConnection>(
        "Tapchime microphone watch",
        static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT),
        PulseWatchConnection::Callbacks{[impl](pa_context *context) { impl->ready(context); },
                                        [impl](pa_context *context, pa_subscription_event_type_t type, uint32_t index) {
                                            impl->event(context, type, index);
                                        },
                                        [impl] { impl->lost(); }},
        std::move(options));
}

PulseMicrophoneActivity::~PulseMicrophoneActivity() {
    impl_->connection.reset(); // stops the loop thread before the state goes
}

bool PulseMicrophoneActivity::microphoneInUse() const {
    return impl_->inUse;
}

bool PulseMicrophoneActivity::connected() const {
    return impl_->connection->connected();
}

} // namespace tc
