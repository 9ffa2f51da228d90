#include "engine/linux/PulseLoop.h"

#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>

namespace tc {

PulseLoop::PulseLoop(const char *threadName) : loop_(pa_threaded_mainloop_new()) {
    if (!loop_) {
        throw std::runtime_error("cannot make a PulseAudio main loop");
    }
    pa_threaded_mainloop_set_name(loop_, threadName);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        throw std::runtime_error("cannot start a PulseAudio main loop");
    }
}

pid_t PulseLoop::threadId() {
    pa_threaded_mainloop_lock(loop_);
    if (threadId_ == 0) {
        pa_mainloop_api_once(
            api(),
            [](pa_mainloop_api *, void *self) {
                auto *loop = static_cast<PulseLoop *>(self);
                loop->threadId_ = static_cast<pid_t>(syscall(SYS_gettid));
                loop->signal();
            },
            this);
        while (threadId_ == 0) {
            wait();
        }
    }
    const pid_t id = threadId_;
    pa_threaded_mainloop_unlock(loop_);
    return id;
}

PulseLoop::~PulseLoop() {
    pa_threaded_mainloop_stop(loop_); // joins the thread: no callback runs after this
    pa_threaded_mainloop_free(loop_);
}

} // namespace tc
