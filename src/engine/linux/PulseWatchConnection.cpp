#include "engine/linux/PulseWatchConnection.h"

#include <exception>

namespace tc {

PulseWatchConnection::PulseWatchConnection(std::string clientName, pa_subscription_mask_t mask, Callbacks callbacks,
                                           PulseWatchOptions options)
    : clientName_(std::move(clientName)), mask_(mask), callbacks_(std::move(callbacks)), options_(std::move(options)),
      loop_("Tapchime.pa") {
    PulseLoop::Lock lock(loop_);
    connect();
}

PulseWatchConnection::~PulseWatchConnection() {
    {
        PulseLoop::Lock lock(loop_);
        if (reconnect_) {
            loop_.api()->time_free(reconnect_);
            reconnect_ = nullptr;
        }
        stopTicking();
        context_.reset();
    }
    // loop_ goes next, stopping its thread while the callbacks and options are still there.
}

void PulseWatchConnection::connect() {
    try {
        context_ = std::make_unique<PulseContext>(loop_, clientName_);
    } catch (const std::exception &e) {
        onUnreachable(e.what());
        return;
    }
    context_->setLostHandler([this] { onLost(); });
    // Runs inside the context's own callbacks (or right here): the context is dropped by the reconnect.
    context_->startConnect(PulseContext::deadlineIn(options_.connectTimeout),
                           [this](bool ready, const std::string &error) {
                               if (ready) {
                                   onReady();
                               } else {
                                   onUnreachable(error);
                               }
                           });
}

void PulseWatchConnection::onReady() {
    pa_context *context = context_->get();
    context_->subscribe(mask_, [this, context](pa_subscription_event_type_t type, uint32_t index) {
        if (callbacks_.event) {
            callbacks_.event(context, type, index);
        }
    });
    connected_ = true;
    logged_ = false;
    if (callbacks_.ready) {
        callbacks_.ready(context);
    }
    scheduleTick();
}

void PulseWatchConnection::onLost() {
    connected_ = false;
    stopTicking();
    if (callbacks_.lost) {
        callbacks_.lost();
    }
    scheduleReconnect();
}

void PulseWatchConnection::onUnreachable(const std::string &error) {
    connected_ = false;
    stopTicking();
    if (!logged_ && options_.log) {
        logged_ = true;
        options_.log(clientName_ + ": cannot reach the sound server (" + error + "); trying again");
    }
    scheduleReconnect();
}

void PulseWatchConnection::scheduleReconnect() {
    if (reconnect_) {
        return;
    }
    pa_mainloop_api *api = loop_.api();
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(options_.reconnectDelay.count()) * 1000);
    reconnect_ = api->time_new(api, &when, &PulseWatchConnection::onReconnect, this);
}

void PulseWatchConnection::onReconnect(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self) {
    auto *connection = static_cast<PulseWatchConnection *>(self);
    api->time_free(event);
    connection->reconnect_ = nullptr;
    connection->context_.reset();
    connection->connect();
}

void PulseWatchConnection::scheduleTick() {
    if (options_.tickEvery.count() <= 0 || !callbacks_.tick) {
        return;
    }
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(options_.tickEvery.count()) * 1000);
    pa_mainloop_api *api = loop_.api();
    if (tick_) {
        api->time_restart(tick_, &when);
    } else {
        tick_ = api->time_new(api, &when, &PulseWatchConnection::onTick, this);
    }
}

void PulseWatchConnection::stopTicking() {
    if (tick_) {
        loop_.api()->time_free(tick_);
        tick_ = nullptr;
    }
}

void PulseWatchConnection::onTick(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self) {
    auto *connection = static_cast<PulseWatchConnection *>(self);
    if (!connection->connected_ || !connection->context_) {
        connection->stopTicking();
        return;
    }
    connection->callbacks_.tick(connection->context_->get());
    connection->scheduleTick();
}

} // namespace tc
