#pragma once

#include "engine/KeyboardMonitor.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tc {

// Holds a keyboard monitor's handler so that the owner can replace it while the key thread is calling it.
//
// The key thread reads an atomic pointer to an immutable handler: no lock, no allocation and no reference
// count per event. The owner's set() publishes the new handler, then waits until a call of the old one that
// may already have begun has returned, and only then destroys it. So once set() returns, the old handler
// (and anything it captured) is no longer used. A set() from inside the handler on the key thread cannot
// wait for itself: it keeps the old handler alive until the next set() or the slot's destruction.
//
// Threads: set() on the owner's thread (serialised by a lock that only setters take); dispatch() on the one
// key thread. The slot must outlive the key thread.
class KeyHandlerSlot {
public:
    KeyHandlerSlot() = default;
    ~KeyHandlerSlot();
    KeyHandlerSlot(const KeyHandlerSlot &) = delete;
    KeyHandlerSlot &operator=(const KeyHandlerSlot &) = delete;

    void set(KeyboardMonitor::Handler handler);

    // Calls the current handler with the event; drops the event when there is none. Key thread only.
    // An exception thrown by the handler is dropped so that the key thread keeps running.
    void dispatch(const KeyEvent &event) noexcept;

    bool hasHandler() const { return current_.load() != nullptr; }

private:
    void waitForCallInFlight() const;

    std::atomic<const KeyboardMonitor::Handler *> current_{nullptr};
    // Odd while the key thread is inside dispatch(); each dispatch() adds 2.
    std::atomic<std::uint64_t> calls_{0};
    std::mutex setMutex_;
    // Handlers replaced from inside a call, kept until no call can still be using them.
    std::vector<std::unique_ptr<const KeyboardMonitor::Handler>> retired_;
};

} // namespace tc
