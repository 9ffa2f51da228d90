#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <functional>
#include <string>

namespace tc {

// A connection to the PulseAudio server for watching its state: its own threaded main loop, a subscription
// to the events of `mask`, and a new connection one second after the server went away (or was not there).
// Never spawns a server.
//
// Thread: made and destroyed on any one thread. The callbacks run on the loop thread with the loop locked;
// they may start server queries on the context they are given. No callback runs once the destructor returned.
class PulseWatchConnection {
public:
    struct Callbacks {
        std::function<void(pa_context *)> ready; // connected and subscribed: query the state
        std::function<void(pa_context *, pa_subscription_event_type_t, uint32_t index)> event;
        std::function<void()> lost; // the server went away; forget what it said
    };

    PulseWatchConnection(std::string clientName, pa_subscription_mask_t mask, Callbacks callbacks);
    ~PulseWatchConnection();
    PulseWatchConnection(const PulseWatchConnection &) = delete;
    PulseWatchConnection &operator=(const PulseWatchConnection &) = delete;

    bool connected() const { return connected_; }

private:
    void connect();
    void dropContext();
    void scheduleReconnect();
    static void onState(pa_context *context, void *self);
    static void onSubscription(pa_context *context, pa_subscription_event_type_t type, uint32_t index, void *self);
    static void onReconnect(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self);

    std::string clientName_;
    pa_subscription_mask_t mask_;
    Callbacks callbacks_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_time_event *reconnect_ = nullptr;
    std::atomic<bool> connected_ = false;
};

// Ends a server query's operation handle; the callback still runs when the answer arrives.
inline void releaseOperation(pa_operation *operation) {
    if (operation) {
        pa_operation_unref(operation);
    }
}

} // namespace tc
