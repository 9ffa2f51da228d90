#pragma once

// Header-only: it needs Qt, and only the application tests link Qt.

#include "app/Clock.h"

#include <QDateTime>
#include <QTimeZone>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace tc::test {

// A clock and timers that move only when the test says so. Timers and posted tasks run inside advance() and
// runPosted(), on the test's thread, in time order; post() may come from any thread. The clock starts at
// 2024-05-14 12:00:00 UTC, so times of day never meet a daylight-saving change.
class FakeTime final : public Clock, public TimerFactory {
public:
    FakeTime() : now_(QDate(2024, 5, 14), QTime(12, 0), QTimeZone::utc()) {}

    QDateTime now() const override { return now_; }

    std::unique_ptr<Timer> singleShot(double seconds, std::function<void()> task) override {
        return add(seconds, false, std::move(task));
    }
    std::unique_ptr<Timer> repeat(double seconds, std::function<void()> task) override {
        return add(seconds, true, std::move(task));
    }
    void post(std::function<void()> task) override {
        std::lock_guard guard(postedLock_);
        posted_.push_back(std::move(task));
    }

    // Runs the posted tasks, also those they post.
    void runPosted() {
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard guard(postedLock_);
                if (posted_.empty()) {
                    return;
                }
                task = std::move(posted_.front());
                posted_.pop_front();
            }
            task();
        }
    }

    // Moves the clock forward, running posted tasks and every timer when it falls due, in time order.
    void advance(double seconds) {
        const auto end = elapsedMs_ + toMs(seconds);
        runPosted();
        for (;;) {
            auto next = timers_->end();
            for (auto it = timers_->begin(); it != timers_->end(); ++it) {
                if (it->second.due <= end && (next == timers_->end() || it->second.due < next->second.due)) {
                    next = it;
                }
            }
            if (next == timers_->end()) {
                break;
            }
            moveTo(std::max(elapsedMs_, next->second.due));
            auto task = next->second.task; // the task may destroy its own handle
            if (next->second.repeating) {
                next->second.due += next->second.intervalMs;
            } else {
                timers_->erase(next);
            }
            (*task)();
            runPosted();
        }
        moveTo(end);
    }

    // Moves the clock forward to the next moment that is `time` of day, firing timers on the way.
    void advanceTo(QTime time) {
        auto target = QDateTime(now_.date(), time, QTimeZone::utc());
        if (target <= now_) {
            target = target.addDays(1);
        }
        advance(static_cast<double>(now_.msecsTo(target)) / 1000.0);
    }

    std::size_t activeTimers() const { return timers_->size(); }
    std::size_t timersMade() const { return timersMade_; }

private:
    struct Entry {
        std::int64_t due = 0;
        std::int64_t intervalMs = 0;
        bool repeating = false;
        std::shared_ptr<std::function<void()>> task;
    };
    using Timers = std::map<std::uint64_t, Entry>;

    class Handle final : public Timer {
    public:
        Handle(std::weak_ptr<Timers> timers, std::uint64_t id) : timers_(std::move(timers)), id_(id) {}
        ~Handle() override {
            if (auto timers = timers_.lock()) {
                timers->erase(id_);
            }
        }

    private:
        std::weak_ptr<Timers> timers_;
        std::uint64_t id_;
    };

    static std::int64_t toMs(double seconds) { return static_cast<std::int64_t>(seconds * 1000.0 + 0.5); }

    std::unique_ptr<Timer> add(double seconds, bool repeating, std::function<void()> task) {
        const auto id = nextId_++;
        ++timersMade_;
        (*timers_)[id] = Entry{elapsedMs_ + toMs(seconds), toMs(seconds), repeating,
                               std::make_shared<std::function<void()>>(std::move(task))};
        return std::make_unique<Handle>(timers_, id);
    }

    void moveTo(std::int64_t elapsedMs) {
        now_ = now_.addMSecs(elapsedMs - elapsedMs_);
        elapsedMs_ = elapsedMs;
    }

    QDateTime now_;
    std::int64_t elapsedMs_ = 0;
    std::shared_ptr<Timers> timers_ = std::make_shared<Timers>();
    std::uint64_t nextId_ = 1;
    std::size_t timersMade_ = 0;
    std::mutex postedLock_;
    std::deque<std::function<void()>> posted_;
};

} // namespace tc::test
