#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tc {

// A backend's own thread for a poll() loop, with a wake descriptor the loop polls beside its own: an eventfd
// that wake() makes readable, so the loop looks up (for new work, or to end). stop() asks the loop to end,
// wakes it and joins it; destroying the object stops it. The loop calls takeWake() when the descriptor is
// readable and returns when that (or stopRequested()) says so.
//
// Threads: start(), stop() and destruction on the owner's thread; wake() from any thread; wakeFd(),
// takeWake() and stopRequested() on the loop's thread (stopRequested() also elsewhere).
class WakeableThread {
public:
    // Makes the wake descriptor; start() fails when that was not possible.
    WakeableThread();
    ~WakeableThread();
    WakeableThread(const WakeableThread &) = delete;
    WakeableThread &operator=(const WakeableThread &) = delete;

    // Runs `loop` on a new thread named `name` (Linux keeps 15 characters). False when the wake descriptor
    // could not be made or the thread already runs.
    bool start(std::string name, std::function<void()> loop);
    // Asks the loop to end, wakes it and waits until it has returned; wake-ups still pending are dropped, so
    // the thread can be started again. Nothing happens when it does not run.
    void stop();
    bool running() const { return thread_.joinable(); }

    // Makes the wake descriptor readable. Any thread, also while the thread does not run.
    void wake();
    // The descriptor to poll for POLLIN; -1 when it could not be made.
    int wakeFd() const { return fd_; }
    // Reads the wake-ups so the descriptor polls quiet again; true when the loop is to end.
    bool takeWake();
    bool stopRequested() const { return stopping_.load(std::memory_order_acquire); }

private:
    const int fd_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace tc
