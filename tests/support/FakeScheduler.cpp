#include "support/FakeScheduler.h"

#include <thread>

namespace tc::test {

class FakeScheduler::Handle final : public Scheduler::Timer {
public:
    Handle(std::weak_ptr<std::map<uint64_t, Entry>> timers, uint64_t id) : timers_(std::move(timers)), id_(id) {}
    ~Handle() override {
        if (auto timers = timers_.lock()) {
            timers->erase(id_);
        }
    }

private:
    std::weak_ptr<std::map<uint64_t, Entry>> timers_;
    uint64_t id_;
};

FakeScheduler::FakeScheduler() : timers_(std::make_shared<std::map<uint64_t, Entry>>()) {}

FakeScheduler::~FakeScheduler() = default;

void FakeScheduler::post(std::function<void()> task) {
    std::lock_guard lock(postedLock_);
    posted_.push_back(std::move(task));
}

std::unique_ptr<Scheduler::Timer> FakeScheduler::repeat(double seconds, std::function<void()> task) {
    const uint64_t id = nextId_++;
    ++timersMade_;
    (*timers_)[id] = Entry{seconds, now_ + seconds, std::make_shared<std::function<void()>>(std::move(task))};
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
    const double end = now_ + seconds;
    runPosted();
    for (;;) {
        // The earliest due timer within the step; ties go to the older timer.
        auto next = timers_->end();
        for (auto it = timers_->begin(); it != timers_->end(); ++it) {
            if (it->second.due <= end + 1e-9 && (next == timers_->end() || it->second.due < next->second.due)) {
                next = it;
            }
        }
        if (next == timers_->end()) {
            break;
        }
        now_ = std::max(now_, next->second.due);
        next->second.due += next->second.interval;
        auto task = next->second.task; // the task may destroy its own handle
        (*task)();
        runPosted();
    }
    now_ = end;
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

size_t FakeScheduler::activeTimers() const {
    return timers_->size();
}

} // namespace tc::test
