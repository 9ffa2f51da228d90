#include "engine/linux/PulseWatchConnection.h"

#include <stdexcept>

namespace tc {

namespace {

constexpr pa_usec_t kReconnectDelay = 1000 * 1000; // 1 s

} // namespace

PulseWatchConnection::PulseWatchConnection(std::string clientName, pa_subscription_mask_t mask, Callbacks callbacks)
    : clientName_(std::move(clientName)), mask_(mask), callbacks_(std::move(callbacks)) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        throw std::runtime_error("cannot make a PulseAudio main loop");
    }
    pa_threaded_mainloop_set_name(loop_, "Tapchime.pa");
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        throw std::runtime_error("cannot start a PulseAudio main loop");
    }
    pa_threaded_mainloop_lock(loop_);
    connect();
    pa_threaded_mainloop_unlock(loop_);
}

PulseWatchConnection::~PulseWatchConnection() {
    pa_threaded_mainloop_lock(loop_);
    if (reconnect_) {
        pa_threaded_mainloop_get_api(loop_)->time_free(reconnect_);
        reconnect_ = nullptr;
    }
    dropContext();
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseWatchConnection::connect() {
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName_.c_str());
    if (!context_) {
        scheduleReconnect();
        return;
    }
    pa_context_set_state_callback(context_, &PulseWatchConnection::onState, this);
    pa_context_set_subscribe_callback(context_, &PulseWatchConnection::onSubscription, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContext();
        scheduleReconnect();
    }
}

void PulseWatchConnection::dropContext() {
    if (!context_) {
        return;
    }
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
    connected_ = false;
}

void PulseWatchConnection::scheduleReconnect() {
    if (reconnect_) {
        return;
    }
    auto *api = pa_threaded_mainloop_get_api(loop_);
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, kReconnectDelay);
    reconnect_ = api->time_new(api, &when, &PulseWatchConnection::onReconnect, this);
}

void PulseWatchConnection::onReconnect(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self) {
    auto *connection = static_cast<PulseWatchConnection *>(self);
    api->time_free(event);
    connection->reconnect_ = nullptr;
    connection->dropContext();
    connection->connect();
}

void PulseWatchConnection::onState(pa_context *context, void *self) {
    auto *connection = static_cast<PulseWatchConnection *>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        releaseOperation(pa_context_subscribe(context, connection->mask_, nullptr, nullptr));
        connection->connected_ = true;
        if (connection->callbacks_.ready) {
            connection->callbacks_.ready(context);
        }
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The context cannot be released inside its own callback; the reconnect drops it.
        connection->connected_ = false;
        if (connection->callbacks_.lost) {
            connection->callbacks_.lost();
        }
        connection->scheduleReconnect();
        break;
    default:
        break;
    }
}

void PulseWatchConnection::onSubscription(pa_context *context, pa_subscription_event_type_t type, uint32_t index,
                                          void *self) {
    auto *connection = static_cast<PulseWatchConnection *>(self);
    if (connection->callbacks_.event) {
        connection->callbacks_.event(context, type, index);
    }
}

} // namespace tc
