#include "engine/linux/PulseContext.h"

#include <algorithm>
#include <stdexcept>

namespace tc {

PulseContext::PulseContext(PulseLoop &loop, const std::string &clientName) : loop_(loop) {
    PulseLoop::Lock lock(loop_);
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "tapchime");
    context_ = pa_context_new_with_proplist(loop_.api(), clientName.c_str(), properties);
    pa_proplist_free(properties);
    if (!context_) {
        throw std::runtime_error("cannot make a PulseAudio context");
    }
    pa_context_set_state_callback(context_, &PulseContext::onState, this);
}

PulseContext::~PulseContext() {
    PulseLoop::Lock lock(loop_);
    freeTimer(deadline_);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
}

bool PulseContext::connect(Deadline deadline, std::string &error) {
    bool settled = false;
    bool ready = false;
    startConnect(deadline, [&](bool isReady, const std::string &why) {
        settled = true;
        ready = isReady;
        if (!isReady) {
            error = why;
        }
        loop_.signal();
    });
    while (!settled) {
        loop_.wait();
    }
    return ready;
}

void PulseContext::startConnect(Deadline deadline, SettledHandler settled) {
    onSettled_ = std::move(settled);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        settle(false, lastError());
        return;
    }
    // A server that takes the connection and never answers would keep the context waiting for libpulse's own
    // 30 s limit.
    deadline_ = newTimer(deadline, &PulseContext::onDeadline, this);
}

void PulseContext::settle(bool ready, const std::string &error) {
    freeTimer(deadline_);
    if (SettledHandler handler = std::move(onSettled_)) {
        onSettled_ = nullptr;
        handler(ready, error);
    }
}

void PulseContext::subscribe(pa_subscription_mask_t mask, EventHandler handler) {
    onEvent_ = std::move(handler);
    pa_context_set_subscribe_callback(context_, &PulseContext::onSubscription, this);
    if (pa_operation *operation = pa_context_subscribe(context_, mask, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

bool PulseContext::wait(pa_operation *operation, Deadline deadline) {
    if (!operation) {
        return false;
    }
    pa_operation_set_state_callback(
        operation, [](pa_operation *, void *loop) { static_cast<PulseLoop *>(loop)->signal(); }, &loop_);
    waitUntil(
        [&] {
            return pa_operation_get_state(operation) != PA_OPERATION_RUNNING ||
                   !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
        },
        deadline);
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        pa_operation_cancel(operation); // its callback is not called any more
    }
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_set_state_callback(operation, nullptr, nullptr);
    pa_operation_unref(operation);
    return done;
}

bool PulseContext::waitUntil(const std::function<bool()> &done, Deadline deadline) {
    struct Expiry {
        PulseLoop *loop;
        bool expired = false;
    } expiry{&loop_};
    pa_time_event *timer = newTimer(
        deadline,
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *data) {
            auto *e = static_cast<Expiry *>(data);
            e->expired = true;
            e->loop->signal();
        },
        &expiry);
    while (timer && !expiry.expired && !done()) {
        loop_.wait();
    }
    freeTimer(timer);
    return done();
}

pa_time_event *PulseContext::newTimer(Deadline deadline, pa_time_event_cb_t callback, void *data) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    const auto leftUs = static_cast<pa_usec_t>(std::max<int64_t>(0, left.count()));
    return pa_context_rttime_new(context_, pa_rtclock_now() + leftUs, callback, data);
}

void PulseContext::freeTimer(pa_time_event *&timer) {
    if (timer) {
        loop_.api()->time_free(timer);
        timer = nullptr;
    }
}

void PulseContext::onState(pa_context *context, void *self) {
    auto *c = static_cast<PulseContext *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        c->wasReady_ = true;
        c->settle(true, {});
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        c->settle(false, c->timedOut_ ? "the sound server did not answer in time" : c->lastError());
        if (c->wasReady_) {
            c->wasReady_ = false;
            if (c->onLost_) {
                c->onLost_();
            }
        }
    }
    c->loop_.signal();
}

void PulseContext::onDeadline(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self) {
    auto *c = static_cast<PulseContext *>(self);
    c->timedOut_ = true;
    pa_context_disconnect(c->context_); // the state change settles the connect
}

void PulseContext::onSubscription(pa_context *, pa_subscription_event_type_t type, uint32_t index, void *self) {
    auto *c = static_cast<PulseContext *>(self);
    if (c->onEvent_) {
        c->onEvent_(type, index);
    }
}

} // namespace tc
