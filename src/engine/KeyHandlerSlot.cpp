#include "engine/KeyHandlerSlot.h"

#include <chrono>
#include <thread>

namespace tc {

namespace {

// The slot whose handler the current thread is running, to notice a set() from inside the handler.
thread_local const KeyHandlerSlot *runningSlot = nullptr;

} // namespace

KeyHandlerSlot::~KeyHandlerSlot() {
    delete current_.exchange(nullptr);
}

void KeyHandlerSlot::set(KeyboardMonitor::Handler handler) {
    std::lock_guard lock(setMutex_);
    const KeyboardMonitor::Handler *fresh = handler ? new KeyboardMonitor::Handler(std::move(handler)) : nullptr;
    std::unique_ptr<const KeyboardMonitor::Handler> old(current_.exchange(fresh));
    if (runningSlot == this) {
        // Called by the handler itself: it is still running, so it must stay alive.
        retired_.push_back(std::move(old));
        return;
    }
    // The exchange and the key thread's "call begins" mark are both sequentially consistent: either the key
    // thread's next load sees the new handler, or the mark is visible here and we wait for that call.
    waitForCallInFlight();
    retired_.clear();
}

void KeyHandlerSlot::waitForCallInFlight() const {
    const std::uint64_t seen = calls_.load();
    if (seen % 2 == 0) {
        return;
    }
    for (int spins = 0; calls_.load() == seen; ++spins) {
        if (spins < 64) {
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }
}

void KeyHandlerSlot::dispatch(const KeyEvent &event) noexcept {
    calls_.fetch_add(1); // odd: a call is in flight
    const KeyboardMonitor::Handler *handler = current_.load();
    if (handler) {
        const KeyHandlerSlot *outer = runningSlot;
        runningSlot = this;
        try {
            (*handler)(event);
        } catch (...) {
            // A failing handler loses this one event; the monitor must keep hearing keys.
        }
        runningSlot = outer;
    }
    calls_.fetch_add(1);
}

} // namespace tc
