#pragma once

#include "app/Timers.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace tc::test {

// Timers on a clock the test advances: nothing runs until advance() passes a call's time; calls that come due
// run in time order (equal times in the order they were scheduled), with now() at their due time.
class FakeTimers final : public Timers {
public:
    std::unique_ptr<Pending> after(double seconds, std::function<void()> task) override {
        const std::uint64_t id = ++lastId_;
        calls_->emplace(id, Call{now_ + std::max(0.0, seconds), std::move(task)});
        return std::make_unique<Handle>(calls_, id);
    }

    void advance(double seconds) {
        const double until = now_ + seconds;
        for (;;) {
            auto next = calls_->end();
            for (auto it = calls_->begin(); it != calls_->end(); ++it) {
                if (it->second.due <= until + 1e-9 && (next == calls_->end() || it->second.due < next->second.due)) {
                    next = it;
                }
            }
            if (next == calls_->end()) {
                break;
            }
            now_ = std::max(now_, next->second.due);
            std::function<void()> task = std::move(next->second.task);
            calls_->erase(next);
            task();
        }
        now_ = until;
    }

    double now() const { return now_; }
    size_t pending() const { return calls_->size(); }

private:
    struct Call {
        double due;
        std::function<void()> task;
    };
    using Calls = std::map<std::uint64_t, Call>;

    class Handle final : public Pending {
    public:
        Handle(std::shared_ptr<Calls> calls, std::uint64_t id) : calls_(std::move(calls)), id_(id) {}
        ~Handle() override { calls_->erase(id_); }

    private:
        std::shared_ptr<Calls> calls_;
        std::uint64_t id_;
    };

    std::shared_ptr<Calls> calls_ = std::make_shared<Calls>();
    std::uint64_t lastId_ = 0;
    double now_ = 0;
};

} // namespace tc::test
