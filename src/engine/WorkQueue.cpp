#include "engine/WorkQueue.h"

#include <algorithm>

namespace tc {

WorkQueue::WorkQueue(unsigned threads) : threadCount_(std::max(1u, threads)) {}

WorkQueue::~WorkQueue() {
    stop();
}

void WorkQueue::stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_all();
    for (auto &thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
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
        if (threads_.empty()) {
            for (unsigned i = 0; i < threadCount_; ++i) {
                threads_.emplace_back([this] { run(); });
            }
        }
    }
    wake_.notify_one();
}

bool WorkQueue::idle() const {
    std::lock_guard guard(lock_);
    return tasks_.empty() && running_ == 0;
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
        ++running_;
        guard.unlock();
        task();
        task = nullptr; // its captures go before the queue says it is idle
        guard.lock();
        --running_;
    }
}

} // namespace tc
