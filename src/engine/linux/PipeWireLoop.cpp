#include "engine/linux/PipeWireLoop.h"

#include <mutex>
#include <stdexcept>

namespace tc {

void initPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

PipeWireLoop::PipeWireLoop(const char *threadName) {
    initPipeWire();
    loop_ = pw_thread_loop_new(threadName, nullptr);
    if (!loop_) {
        throw std::runtime_error("cannot make a PipeWire loop");
    }
    if (pw_thread_loop_start(loop_) < 0) {
        pw_thread_loop_destroy(loop_);
        throw std::runtime_error("cannot start a PipeWire loop");
    }
}

PipeWireLoop::~PipeWireLoop() {
    pw_thread_loop_stop(loop_); // joins the thread: no callback runs after this
    pw_thread_loop_destroy(loop_);
}

bool PipeWireLoop::wait(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
        return false;
    }
    // The loop's condition variable runs on its own clock: the deadline is turned into a time on it.
    timespec until{};
    if (pw_thread_loop_get_time(loop_, &until, left) < 0) {
        return false;
    }
    return pw_thread_loop_timed_wait_full(loop_, &until) == 0;
}

} // namespace tc
