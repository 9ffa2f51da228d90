#pragma once

#include "engine/KeyEvent.h"
#include "engine/KeyboardMonitor.h"
#include "support/KeyEventPrint.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace tc::test {

// Collects the events a keyboard monitor delivers on its own thread, for tests to wait on.
class KeyEventRecorder {
public:
    KeyboardMonitor::Handler handler() {
        return [this](const KeyEvent &event) {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }

    // Waits until at least count events have arrived; returns all of them so far (fewer on timeout).
    std::vector<KeyEvent> waitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
        return events_;
    }

    // Waits until at least count events have arrived, then removes and returns them all.
    std::vector<KeyEvent> take(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
        std::vector<KeyEvent> taken;
        taken.swap(events_);
        return taken;
    }

    std::vector<KeyEvent> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<KeyEvent> events_;
};

} // namespace tc::test
