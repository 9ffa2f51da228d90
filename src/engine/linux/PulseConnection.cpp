#include "engine/linux/PulseConnection.h"

#include <stdexcept>

namespace tc {

PulseConnection::PulseConnection(const std::string &clientName) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        throw std::runtime_error("cannot create a PulseAudio main loop");
    }
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tapchime");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "tapchime");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), clientName.c_str(), properties);
    pa_proplist_free(properties);
    if (!context_) {
        pa_threaded_mainloop_free(loop_);
        throw std::runtime_error("cannot create a PulseAudio context");
    }
    pa_context_set_state_callback(context_, &PulseConnection::onContextState, this);
}

PulseConnection::~PulseConnection() {
    if (started_) {
        {
            Lock lock(*this);
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
        }
        pa_threaded_mainloop_stop(loop_);
    }
    pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
}

bool PulseConnection::connect(std::string &error) {
    if (pa_threaded_mainloop_start(loop_) < 0) {
        error = "cannot start the PulseAudio main loop";
        return false;
    }
    started_ = true;
    Lock lock(*this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = lastError();
        return false;
    }
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) {
            return true;
        }
        if (!PA_CONTEXT_IS_GOOD(state)) {
            error = lastError();
            return false;
        }
        wait();
    }
}

void PulseConnection::subscribe(pa_subscription_mask_t mask, EventHandler handler) {
    onEvent_ = std::move(handler);
    pa_context_set_subscribe_callback(context_, &PulseConnection::onSubscription, this);
    if (pa_operation *operation = pa_context_subscribe(context_, mask, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

std::string PulseConnection::lastError() const {
    return pa_strerror(pa_context_errno(context_));
}

bool PulseConnection::wait(pa_operation *operation) {
    if (!operation) {
        return false;
    }
    bool done = true;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            pa_operation_cancel(operation);
            done = false;
            break;
        }
        wait();
    }
    if (pa_operation_get_state(operation) == PA_OPERATION_CANCELLED) {
        done = false;
    }
    pa_operation_unref(operation);
    return done;
}

void PulseConnection::onContextState(pa_context *context, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        connection->wasReady_ = true;
    } else if (!PA_CONTEXT_IS_GOOD(state) && connection->wasReady_) {
        connection->wasReady_ = false;
        if (connection->onFailure_) {
            connection->onFailure_();
        }
    }
    connection->signal();
}

void PulseConnection::onSubscription(pa_context *, pa_subscription_event_type_t type, uint32_t index, void *self) {
    auto *connection = static_cast<PulseConnection *>(self);
    if (connection->onEvent_) {
        connection->onEvent_(type, index);
    }
}

} // namespace tc
