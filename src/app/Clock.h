#pragma once

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

// Timers and the hop to the main thread, as the application model uses them. The program runs them on the
// Qt event loop; tests run them from a fake they advance, so every delay (the 0.4 s save debounce, the
// 1.5 s permission retry, the 2.0 s output sampling, the 0.15 s Caps Lock highlight) is deterministic.
// Thread: timers are made, fire and are destroyed on the main thread; post() may be called from any thread.
class TimerFactory {
public:
    // A pending timer. Destroying the handle cancels it; a task that has begun runs to its end. A handle may
    // be destroyed from inside its own task.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~TimerFactory() = default;

    // Runs `task` once, `seconds` from now, unless the handle is destroyed first.
    virtual std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) = 0;
    // Runs `task` every `seconds` (the first call one interval from now) until the handle is destroyed.
    virtual std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) = 0;
    // Queues `task` to run on the main thread after the caller returns, in the order posted.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace tc
