#pragma once

#include <pulse/pulseaudio.h>

#include <functional>
#include <string>

namespace tc {

// One connection to the PulseAudio server (or PipeWire's PulseAudio service) with its own threaded main
// loop: owns the pa_threaded_mainloop and the pa_context and tears both down in order. Never spawns a
// server. A connection is used once: after a failure, make a new one.
//
// Threads: connect() and the destructor from the owner's thread, never from the loop thread. Everything
// that touches the context or its streams holds Lock, except code that runs in libpulse callbacks (those
// run on the loop thread with the lock already held).
class PulseConnection {
public:
    // Called on the loop thread when a ready context fails or the server goes away.
    using FailureHandler = std::function<void()>;
    // Called on the loop thread for each subscribed server event.
    using EventHandler = std::function<void(pa_subscription_event_type_t type, uint32_t index)>;

    explicit PulseConnection(const std::string &clientName);
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connects to the server named by the environment (PULSE_SERVER) or the user's default one and waits
    // until the context is ready. False with the server's description of the problem on failure.
    bool connect(std::string &error);

    // Set before connect().
    void setFailureHandler(FailureHandler handler) { onFailure_ = std::move(handler); }
    // Subscribes to the events in `mask`; call after connect(), with the lock held.
    void subscribe(pa_subscription_mask_t mask, EventHandler handler);

    // Holds the loop's lock for its lifetime.
    class Lock {
    public:
        explicit Lock(PulseConnection &connection) : loop_(connection.loop_) { pa_threaded_mainloop_lock(loop_); }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pa_threaded_mainloop *loop_;
    };

    pa_context *context() const { return context_; }
    pa_threaded_mainloop *loop() const { return loop_; }
    // With the lock held: whether the context is ready for requests.
    bool isReady() const { return pa_context_get_state(context_) == PA_CONTEXT_READY; }
    // Whether the caller runs on the loop thread.
    bool inLoopThread() const { return pa_threaded_mainloop_in_thread(loop_) != 0; }
    // With the lock held: the description of the context's last error.
    std::string lastError() const;

    // With the lock held: waits until `operation` is done or the context fails; releases the operation.
    // False when the context failed first.
    bool wait(pa_operation *operation);
    // With the lock held: waits for the next signal().
    void wait() { pa_threaded_mainloop_wait(loop_); }
    // From a callback on the loop thread: wakes every wait().
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }

private:
    static void onContextState(pa_context *context, void *self);
    static void onSubscription(pa_context *context, pa_subscription_event_type_t type, uint32_t index, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    bool started_ = false;
    bool wasReady_ = false; // loop thread
    FailureHandler onFailure_;
    EventHandler onEvent_;
};

} // namespace tc
