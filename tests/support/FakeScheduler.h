#pragma once

#include "engine/Scheduler.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tc::test {

// A scheduler with a clock the test moves. Posted tasks and due timers run only inside advance(),
// runPosted() and runFor(), on the calling (test) thread; post() may come from any thread.
class FakeScheduler final : public Scheduler {
public:
    FakeScheduler();
    ~FakeScheduler() override;

    void post(std::function<void()> task) override;
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override;

    // Runs the posted tasks (also those they post).
    void runPosted();
    // Moves the clock forward by `seconds`, running posted tasks and every timer when it falls due, in time order.
    void advance(double seconds);
    // For tests against real backends: advances in real time, step by step, until `done` holds or `timeout`
    // passed; returns whether it held.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout,
                  std::chrono::milliseconds step = std::chrono::milliseconds(5));

    double now() const { return now_; }
    size_t activeTimers() const;
    size_t timersMade() const { return timersMade_; }

private:
    struct Entry {
        double interval = 0;
        double due = 0;
        std::shared_ptr<std::function<void()>> task;
    };
    class Handle;

    std::shared_ptr<std::map<uint64_t, Entry>> timers_;
    uint64_t nextId_ = 1;
    size_t timersMade_ = 0;
    double now_ = 0;
    mutable std::mutex postedLock_;
    std::deque<std::function<void()>> posted_;
};

} // namespace tc::test
