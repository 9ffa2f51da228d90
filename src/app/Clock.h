#pragma once

#include "engine/Scheduler.h"

#include <QDateTime>

#include <atomic>
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
    // A way to bring the main thread to one task from another thread. wake() may be called from any thread;
    // the task then runs on the main thread once, however many wake() calls came before it began. Made and
    // destroyed on the main thread; once it is destroyed the task never runs again.
    class Wakeup {
    public:
        virtual ~Wakeup() = default;
        virtual void wake() = 0;
    };

    // Runs `task` once, `seconds` from now, unless the handle is destroyed first.
    virtual std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) = 0;

    // A wake-up for `task`. This one posts the task for the first wake() after each run; the program's
    // factory gives one whose wake() takes no lock and allocates nothing, for the keyboard thread.
    virtual std::unique_ptr<Wakeup> wakeup(std::function<void()> task);
};

inline std::unique_ptr<TimerFactory::Wakeup> TimerFactory::wakeup(std::function<void()> task) {
    class PostingWakeup final : public Wakeup {
    public:
        PostingWakeup(TimerFactory &timers, std::function<void()> task)
            : timers_(timers), state_(std::make_shared<State>()) {
            state_->task = std::move(task);
        }
        void wake() override {
            if (!state_->pending.exchange(true)) {
                timers_.post([weak = std::weak_ptr<State>(state_)] {
                    if (const auto state = weak.lock()) {
                        state->pending = false;
                        state->task();
                    }
                });
            }
        }

    private:
        struct State {
            std::atomic<bool> pending{false};
            std::function<void()> task;
        };
        TimerFactory &timers_;
        std::shared_ptr<State> state_;
    };
    return std::make_unique<PostingWakeup>(*this, std::move(task));
}

} // namespace tc
