#pragma once

#include "engine/linux/PulseLoop.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <functional>
#include <string>

namespace tc {

// One connection to the PulseAudio server (or PipeWire's PulseAudio service) on a PulseLoop: owns the
// pa_context and disconnects and releases it when destroyed. The server is the one the environment names
// (PULSE_SERVER) or the user's default; one is never spawned. A context connects once: after a failure,
// make a new one.
//
// Every wait for the server has a deadline, so a server that accepts the connection and then never answers
// costs the caller at most that long.
//
// Threads: made and destroyed on any thread (they take the loop's lock themselves); never destroyed from inside
// one of its own handlers. The other members are called with the loop's lock held or on the loop thread; the
// ones that wait, with the lock held once and never on the loop thread. The handlers run on the loop thread.
class PulseContext {
public:
    using Clock = std::chrono::steady_clock;
    using Deadline = Clock::time_point;
    // How long the program waits for the server by default: to connect, to open a stream, to answer a query.
    static constexpr std::chrono::milliseconds kTimeout{2000};
    static Deadline deadlineIn(std::chrono::milliseconds timeout) { return Clock::now() + timeout; }

    // Runs once when a connect has settled: ready, or not with the reason.
    using SettledHandler = std::function<void(bool ready, const std::string &error)>;
    // Runs when a ready context fails or the server goes away.
    using LostHandler = std::function<void()>;
    // Runs for each subscribed server event.
    using EventHandler = std::function<void(pa_subscription_event_type_t type, uint32_t index)>;

    // Throws std::runtime_error when libpulse cannot make a context (out of resources).
    PulseContext(PulseLoop &loop, const std::string &clientName);
    ~PulseContext();
    PulseContext(const PulseContext &) = delete;
    PulseContext &operator=(const PulseContext &) = delete;

    // Connects and waits until the context is ready, fails or the deadline passes. False with a readable
    // reason in `error` when it is not ready; the context is then finished.
    bool connect(Deadline deadline, std::string &error);
    // Starts connecting without waiting: `settled` runs once, on the loop thread when the context is ready,
    // fails or the deadline passes (then the context is disconnected), or before this returns when the connect
    // cannot even start. It does not run once the context is destroyed.
    void startConnect(Deadline deadline, SettledHandler settled);

    // Set before connecting.
    void setLostHandler(LostHandler handler) { onLost_ = std::move(handler); }
    // Subscribes to the events in `mask`; once ready.
    void subscribe(pa_subscription_mask_t mask, EventHandler handler);

    // Waits until `operation` is done, the context fails or the deadline passes, and releases the operation
    // (cancelled when it is not done). True when it is done.
    bool wait(pa_operation *operation, Deadline deadline);
    // Waits until `done` holds or the deadline passes; returns `done`. Whatever makes it hold must signal the
    // loop (the context's and PulseStream's state changes do).
    bool waitUntil(const std::function<bool()> &done, Deadline deadline);

    bool isReady() const { return pa_context_get_state(context_) == PA_CONTEXT_READY; }
    // The libpulse error code (PA_ERR_…) and description of the context's last error.
    int errorCode() const { return pa_context_errno(context_); }
    std::string lastError() const { return pa_strerror(errorCode()); }

    pa_context *get() const { return context_; }
    PulseLoop &loop() const { return loop_; }

private:
    // A timer on the loop that fires at `deadline` (monotonic clock); free it with freeTimer().
    pa_time_event *newTimer(Deadline deadline, pa_time_event_cb_t callback, void *data);
    void freeTimer(pa_time_event *&timer);
    void settle(bool ready, const std::string &error);
    static void onState(pa_context *context, void *self);
    static void onSubscription(pa_context *context, pa_subscription_event_type_t type, uint32_t index, void *self);
    static void onDeadline(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self);

    PulseLoop &loop_;
    pa_context *context_ = nullptr;
    // Loop locked:
    pa_time_event *deadline_ = nullptr; // while a connect has not settled
    SettledHandler onSettled_;
    LostHandler onLost_;
    EventHandler onEvent_;
    bool wasReady_ = false;
    bool timedOut_ = false;
};

} // namespace tc
