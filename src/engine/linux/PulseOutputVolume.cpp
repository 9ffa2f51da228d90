#include "engine/linux/PulseOutputVolume.h"

#include <atomic>
#include <string>

namespace tc {

// Everything but `silent` and `connection` lives on the loop thread.
struct PulseOutputVolume::Impl {
    std::atomic<bool> silent = false;
    std::unique_ptr<PulseWatchConnection> connection;

    static void onSink(pa_context *, const pa_sink_info *info, int eol, void *self) {
        if (eol != 0 || !info) {
            return;
        }
        const double loudest = static_cast<double>(pa_cvolume_max(&info->volume)) / PA_VOLUME_NORM;
        static_cast<Impl *>(self)->silent = OutputVolume::silentFor(info->mute != 0, loudest);
    }

    static void onServer(pa_context *context, const pa_server_info *info, void *self) {
        if (!info || !info->default_sink_name || !*info->default_sink_name) {
            static_cast<Impl *>(self)->silent = false; // no output at all: nothing to explain
            return;
        }
        releaseOperation(pa_context_get_sink_info_by_name(context, info->default_sink_name, &Impl::onSink, self));
    }

    // Any change of a sink or of the server (the default sink) reads the default sink again: two small
    // queries, and far fewer events than key presses.
    void refresh(pa_context *context) { releaseOperation(pa_context_get_server_info(context, &Impl::onServer, this)); }
};

namespace {

PulseWatchOptions withTicks(PulseWatchOptions options) {
    options.tickEvery = std::chrono::seconds(3);
    return options;
}

} // namespace

PulseOutputVolume::PulseOutputVolume(PulseWatchOptions options) : impl_(std::make_unique<Impl>()) {
    auto *impl = impl_.get();
    impl_->connection = std::make_unique<PulseWatchConnection>(
        "Tapchime output watch",
        static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
        PulseWatchConnection::Callbacks{
            [impl](pa_context *context) { impl->refresh(context); },
            [impl](pa_context *context, pa_subscription_event_type_t, uint32_t) { impl->refresh(context); },
            [impl] { impl->silent = false; },
            // pipewire-pulse (0.3.65) now and then does not tell a client that the default sink changed (seen
            // with the machine loaded): a reading every few seconds catches what it left out.
            [impl](pa_context *context) { impl->refresh(context); }},
        withTicks(std::move(options)));
}

PulseOutputVolume::~PulseOutputVolume() {
    impl_->connection.reset();
}

bool PulseOutputVolume::isSilent() const {
    return impl_->silent;
}

bool PulseOutputVolume::connected() const {
    return impl_->connection->connected();
}

} // namespace tc
