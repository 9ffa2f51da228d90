#include "support/FakeScheduler.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace tc::test {

namespace {

std::int64_t toMicroseconds(double seconds) {
    return std::llround(seconds * 1e6);
}

} // namespace

class FakeScheduler::Handle final : public Scheduler::Timer {
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

FakeScheduler::FakeScheduler() : timers_(std::make_shared<Timers>()) {}

FakeScheduler::~FakeScheduler() = default;

void FakeScheduler::post(std::function<void()> task) {
    std::lock_guard lock(postedLock_);
    posted_.push_back(std::move(task));
}

std::unique_ptr<Scheduler::Timer> FakeScheduler::repeat(double seconds, std::function<void()> task) {
    return add(seconds, true, std::move(task));
}

std::unique_ptr<Scheduler::Timer> FakeScheduler::singleShot(double seconds, std::function<void()> task) {
    return add(seconds, false, std::move(task));
}

std::unique_ptr<Scheduler::Timer> FakeScheduler::add(double seconds, bool repeating, std::function<void()> task) {
    const std::uint64_t id = nextId_++;
    ++timersMade_;
    const std::int64_t interval = toMicroseconds(seconds);
    (*timers_)[id] =
        Entry{elapsedUs_ + interval, interval, repeating, std::make_shared<std::function<void()>>(std::move(task))};
    return std::make_unique<Handle>(timers_, id);
}

void FakeScheduler::runPosted() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(postedLock_);
            if (posted_.empty()) {
                return;
            }
            task = std::move(posted_.front());
            posted_.pop_front();
        }
        task();
    }
}

void FakeScheduler::advance(double seconds) {
    const std::int64_t end = elapsedUs_ + toMicroseconds(seconds);
    runPosted();
    for (;;) {
        // The earliest due timer within the step; ties go to the older timer (the map is ordered by age).
        auto next = timers_->end();
        for (auto it = timers_->begin(); it != timers_->end(); ++it) {
            if (it->second.due <= end && (next == timers_->end() || it->second.due < next->second.due)) {
                next = it;
            }
        }
        if (next == timers_->end()) {
            break;
        }
        elapsedUs_ = std::max(elapsedUs_, next->second.due);
        auto task = next->second.task; // the task may destroy its own handle
        if (next->second.repeating) {
            next->second.due += std::max<std::int64_t>(next->second.intervalUs, 1);
        } else {
            timers_->erase(next);
        }
        (*task)();
        runPosted();
    }
    elapsedUs_ = std::max(elapsedUs_, end);
}

bool FakeScheduler::runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout,
                             std::chrono::milliseconds step) {
    const auto start = std::chrono::steady_clock::now();
    auto last = start;
    for (;;) {
        auto current = std::chrono::steady_clock::now();
        advance(std::chrono::duration<double>(current - last).count());
        last = current;
        if (done()) {
            return true;
        }
        if (current - start > timeout) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
}

} // namespace tc::test
