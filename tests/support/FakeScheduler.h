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

// A scheduler with a clock the test moves; no Qt, so the engine tests use it as it is and FakeTime builds the
// application's clock and timers on it. Posted tasks and due timers run only inside advance(), runPosted()
// and runUntil(), on the calling (test) thread, in time order (ties: the older timer first); post() may come
// from any thread. Time is counted in whole microseconds from 0.
class FakeScheduler final : public Scheduler {
public:
    FakeScheduler();
    ~FakeScheduler() override;

    void post(std::function<void()> task) override;
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override;
    // Runs `task` once, `seconds` from now, unless the handle is destroyed first.
    std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task);

    // Runs the posted tasks (also those they post).
    void runPosted();
    // Moves the clock forward by `seconds`, running posted tasks and every timer when it falls due, in time order.
    void advance(double seconds);
    // For tests against real backends: advances in real time, step by step, until `done` holds or `timeout`
    // passed; returns whether it held.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout,
                  std::chrono::milliseconds step = std::chrono::milliseconds(5));

    // The time moved so far.
    std::chrono::microseconds elapsed() const { return std::chrono::microseconds(elapsedUs_); }
    std::size_t activeTimers() const { return timers_->size(); }
    std::size_t timersMade() const { return timersMade_; }

private:
    struct Entry {
        std::int64_t due = 0;
        std::int64_t intervalUs = 0;
        bool repeating = false;
        std::shared_ptr<std::function<void()>> task;
    };
    using Timers = std::map<std::uint64_t, Entry>;
    class Handle;

    std::unique_ptr<Timer> add(double seconds, bool repeating, std::function<void()> task);

    std::shared_ptr<Timers> timers_;
    std::uint64_t nextId_ = 1;
    std::size_t timersMade_ = 0;
    std::int64_t elapsedUs_ = 0;
    std::mutex postedLock_;
    std::deque<std::function<void()>> posted_;
};

} // namespace tc::test
