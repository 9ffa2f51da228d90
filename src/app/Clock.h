#pragma once

#include "engine/Scheduler.h"

#include <QDateTime>

#include <functional>
#include <memory>

namespace tc {

// The time of day as the application model sees it: local wall-clock time for quiet hours, the day's
// press count and the switch log, and the time stamps of the silent-typing window. The program uses the
// system clock; tests use a clock they move by hand.
// Thread: the main thread.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// Timers and the hop to the main thread, as the application model and the system watchers use them. The
// program runs them on the Qt event loop; tests run them from a fake they advance, so every delay (the 0.4 s
// save debounce, the 1.5 s permission retry, the 2.0 s output sampling, the 0.15 s Caps Lock highlight, the
// watchers' poll and 30 s tick) is deterministic.
//
// From Scheduler: post() queues a task to the main thread from any thread, in the order posted; repeat()
// runs a task every interval until its handle is destroyed.
// Thread: timers are made, fire and are destroyed on the main thread. Destroying a handle cancels the timer;
// a task that has begun runs to its end; a handle may be destroyed from inside its own task.
class TimerFactory : public Scheduler {
public:
    // Runs `task` once, `seconds` from now, unless the handle is destroyed first.
    virtual std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) = 0;
};

} // namespace tc
