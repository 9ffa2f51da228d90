#include "engine/WorkQueue.h"

namespace tc {

WorkQueue::~WorkQueue() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    // `dropped` goes here, outside the lock: a task's captures may take their time to go.
}

void WorkQueue::post(std::function<void()> task) {
    {
        std::lock_guard guard(lock_);
        if (stopping_) {
            return;
        }
        tasks_.push_back(std::move(task));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
    }
    wake_.notify_one();
}

bool WorkQueue::idle() const {
    std::lock_guard guard(lock_);
    return tasks_.empty() && !running_;
}

bool WorkQueue::stopping() const {
    std::lock_guard guard(lock_);
    return stopping_;
}

void WorkQueue::run() {
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_) {
            return;
        }
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        running_ = true;
        guard.unlock();
        task();
        task = nullptr; // its captures go before the queue says it is idle
        guard.lock();
        running_ = false;
    }
}

} // namespace tc
