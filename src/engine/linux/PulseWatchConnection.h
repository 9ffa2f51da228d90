#pragma once

#include "engine/linux/PulseContext.h"
#include "engine/linux/PulseLoop.h"
#include "engine/linux/SystemLog.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tc {

// How a PulseWatchConnection reaches the server, and where it says that it cannot.
struct PulseWatchOptions {
    std::chrono::milliseconds connectTimeout = PulseContext::kTimeout; // a server that does not answer
    std::chrono::milliseconds reconnectDelay{1000};                    // after a failed or lost connection
    std::function<void(const std::string &line)> log = systemLog;      // called on the loop thread
    // While connected, Callbacks::tick runs this often (zero: never), for state the server may not announce.
    std::chrono::milliseconds tickEvery{0};
};

// A connection to the PulseAudio server for watching its state: its own threaded main loop, a subscription
// to the events of `mask`, and a new connection a while after the server went away, was not there or did not
// answer. Never spawns a server and never waits for it. While the server cannot be reached the watcher keeps
// its null answer, and says so in the log once per absence, not at every try.
//
// Thread: made and destroyed on any one thread. The callbacks run on the loop thread with the loop locked;
// they may start server queries on the context they are given. No callback runs once the destructor returned.
class PulseWatchConnection {
public:
    struct Callbacks {
        std::function<void(pa_context *)> ready; // connected and subscribed: query the state
        std::function<void(pa_context *, pa_subscription_event_type_t, uint32_t index)> event;
        std::function<void()> lost;                  // the server went away; forget what it said
        std::function<void(pa_context *)> tick = {}; // every PulseWatchOptions::tickEvery while connected
    };

    PulseWatchConnection(std::string clientName, pa_subscription_mask_t mask, Callbacks callbacks,
                         PulseWatchOptions options = {});
    ~PulseWatchConnection();
    PulseWatchConnection(const PulseWatchConnection &) = delete;
    PulseWatchConnection &operator=(const PulseWatchConnection &) = delete;

    bool connected() const { return connected_; }

private:
    // Loop locked:
    void connect();
    void onReady();
    void onLost();
    void onUnreachable(const std::string &error);
    void scheduleReconnect();
    static void onReconnect(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self);
    void scheduleTick();
    void stopTicking();
    static void onTick(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self);

    const std::string clientName_;
    const pa_subscription_mask_t mask_;
    const Callbacks callbacks_;
    const PulseWatchOptions options_;
    PulseLoop loop_;
    // Loop locked:
    std::unique_ptr<PulseContext> context_; // the current try; a failed one is dropped by the reconnect
    pa_time_event *reconnect_ = nullptr;
    pa_time_event *tick_ = nullptr;
    bool logged_ = false; // the server's absence was logged since it last answered
    std::atomic<bool> connected_ = false;
};

// Ends a server query's operation handle; the callback still runs when the answer arrives.
inline void releaseOperation(pa_operation *operation) {
    if (operation) {
        pa_operation_unref(operation);
    }
}

} // namespace tc
