#pragma once

#include <pulse/pulseaudio.h>
#include <sys/types.h>

namespace tc {

// A libpulse threaded main loop: its own thread, started when made, stopped and freed when destroyed. Contexts
// and streams on it (PulseContext, PulseStream) are destroyed before it.
//
// Threads: made and destroyed by its owner, never on the loop thread itself. Everything that touches a context
// or stream of the loop holds Lock; libpulse runs its callbacks on the loop thread with the lock held.
class PulseLoop {
public:
    // Starts the thread under `threadName` (at most 15 characters show). Throws std::runtime_error when
    // libpulse cannot make or start the loop (out of resources).
    explicit PulseLoop(const char *threadName);
    ~PulseLoop();
    PulseLoop(const PulseLoop &) = delete;
    PulseLoop &operator=(const PulseLoop &) = delete;

    // Holds the loop's lock for its lifetime. The lock is recursive, so a holder may take it again (but never
    // wait() while holding it twice). On the loop thread it does nothing: callbacks hold the lock already.
    class Lock {
    public:
        explicit Lock(PulseLoop &loop) : loop_(loop.inThread() ? nullptr : loop.loop_) {
            if (loop_) {
                pa_threaded_mainloop_lock(loop_);
            }
        }
        ~Lock() {
            if (loop_) {
                pa_threaded_mainloop_unlock(loop_);
            }
        }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pa_threaded_mainloop *loop_;
    };

    pa_mainloop_api *api() const { return pa_threaded_mainloop_get_api(loop_); }
    // Whether the caller runs on the loop thread.
    bool inThread() const { return pa_threaded_mainloop_in_thread(loop_) != 0; }
    // With the lock held once, not on the loop thread: waits for the next signal().
    void wait() { pa_threaded_mainloop_wait(loop_); }
    // With the lock held (or on the loop thread): wakes every wait().
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }
    // The loop thread's kernel thread id. Not on the loop thread, without the lock held; the first call waits
    // for the loop to run a turn.
    pid_t threadId();

private:
    pa_threaded_mainloop *loop_ = nullptr;
    pid_t threadId_ = 0; // set on the loop thread with the lock held
};

} // namespace tc
