#pragma once

#include <pipewire/pipewire.h>

#include <chrono>
#include <memory>

namespace tc {

// Makes sure libpipewire is initialised (pw_init) before its first use; any thread, any number of times.
void initPipeWire();

// Frees libpipewire objects: the deleter of PipeWirePtr. A stream, registry and core are released with the
// loop's lock held (or on the loop thread), before the context, and the context before its loop.
struct PipeWireRelease {
    void operator()(pw_context *context) const { pw_context_destroy(context); }
    void operator()(pw_core *core) const { pw_core_disconnect(core); }
    void operator()(pw_registry *registry) const { pw_proxy_destroy(reinterpret_cast<pw_proxy *>(registry)); }
    void operator()(pw_stream *stream) const { pw_stream_destroy(stream); }
    void operator()(pw_properties *properties) const { pw_properties_free(properties); }
};
template <class T> using PipeWirePtr = std::unique_ptr<T, PipeWireRelease>;

// A PipeWire thread loop: its own thread, started when made, stopped and freed when destroyed. Contexts,
// cores and streams on it are released before it.
//
// Threads: made and destroyed by its owner, never on the loop thread. Everything that touches an object of the
// loop holds Lock; libpipewire runs the loop's callbacks on the loop thread with the lock held.
class PipeWireLoop {
public:
    using Clock = std::chrono::steady_clock;

    // Starts the thread under `threadName` (at most 15 characters show). Throws std::runtime_error when the
    // loop cannot be made or started (out of resources).
    explicit PipeWireLoop(const char *threadName);
    ~PipeWireLoop();
    PipeWireLoop(const PipeWireLoop &) = delete;
    PipeWireLoop &operator=(const PipeWireLoop &) = delete;

    // Holds the loop's lock for its lifetime (the lock is recursive). On the loop thread it does nothing:
    // callbacks hold the lock already.
    class Lock {
    public:
        explicit Lock(PipeWireLoop &loop) : loop_(loop.inThread() ? nullptr : loop.loop_) {
            if (loop_) {
                pw_thread_loop_lock(loop_);
            }
        }
        ~Lock() {
            if (loop_) {
                pw_thread_loop_unlock(loop_);
            }
        }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pw_thread_loop *loop_;
    };

    pw_loop *loop() const { return pw_thread_loop_get_loop(loop_); }
    bool inThread() const { return pw_thread_loop_in_thread(loop_); }
    // With the lock held once, not on the loop thread: waits for the next signal() or the deadline; false when
    // the deadline has passed.
    bool wait(Clock::time_point deadline);
    // With the lock held (or on the loop thread): wakes every wait().
    void signal() { pw_thread_loop_signal(loop_, false); }

private:
    pw_thread_loop *loop_ = nullptr;
};

} // namespace tc
