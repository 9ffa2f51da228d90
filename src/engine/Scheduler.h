#pragma once

#include <functional>
#include <memory>

namespace tc {

// Runs work on one thread of the owner's choosing, the "scheduler thread": in the program that is the main
// (Qt) thread, in tests a fake with a clock the test advances. The watchers and the recorder use it for
// their timers and to move callbacks from platform threads back to the main thread.
class Scheduler {
public:
    // A repeating timer; destroying the handle stops it. A handle may be destroyed from inside its own task
    // and must be destroyed on the scheduler thread.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~Scheduler() = default;

    // Queues task to run on the scheduler thread soon, after the caller returns. Any thread may call.
    virtual void post(std::function<void()> task) = 0;

    // Calls task every `seconds` on the scheduler thread until the handle is destroyed; the first call comes
    // one interval after this one. Called on the scheduler thread.
    virtual std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) = 0;
};

} // namespace tc
