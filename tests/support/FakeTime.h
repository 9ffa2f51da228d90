#pragma once

// Header-only: it needs Qt, and only the application tests link Qt.

#include "app/Clock.h"
#include "support/FakeScheduler.h"

#include <QDateTime>
#include <QTimeZone>

#include <functional>
#include <memory>

namespace tc::test {

// A clock and timers that move only when the test says so: the wall clock of the application model on the
// timers of a FakeScheduler, which runs timers and posted tasks inside advance() and runPosted(), on the
// test's thread, in time order; post() may come from any thread. The clock starts at 2024-05-14 12:00:00 UTC,
// so times of day never meet a daylight-saving change.
class FakeTime final : public Clock, public TimerFactory {
public:
    FakeTime() : start_(QDate(2024, 5, 14), QTime(12, 0), QTimeZone::utc()) {}

    QDateTime now() const override {
        return start_.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(timers_.elapsed()).count());
    }

    std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) override {
        return timers_.singleShot(seconds, std::move(task));
    }
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override {
        return timers_.repeat(seconds, std::move(task));
    }
    void post(std::function<void()> task) override { timers_.post(std::move(task)); }

    // Runs the posted tasks, also those they post.
    void runPosted() { timers_.runPosted(); }
    // Moves the clock forward, running posted tasks and every timer when it falls due, in time order.
    void advance(double seconds) { timers_.advance(seconds); }

    // Moves the clock forward to the next moment that is `time` of day, firing timers on the way.
    void advanceTo(QTime time) {
        const QDateTime current = now();
        auto target = QDateTime(current.date(), time, QTimeZone::utc());
        if (target <= current) {
            target = target.addDays(1);
        }
        advance(static_cast<double>(current.msecsTo(target)) / 1000.0);
    }

    std::size_t activeTimers() const { return timers_.activeTimers(); }
    std::size_t timersMade() const { return timers_.timersMade(); }

private:
    QDateTime start_;
    FakeScheduler timers_;
};

} // namespace tc::test
