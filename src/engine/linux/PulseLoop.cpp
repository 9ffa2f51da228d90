#include "engine/linux/PulseLoop.h"

#include <stdexcept>

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

PulseLoop::~PulseLoop() {
    pa_threaded_mainloop_stop(loop_); // joins the thread: no callback runs after this
    pa_threaded_mainloop_free(loop_);
}

} // namespace tc
