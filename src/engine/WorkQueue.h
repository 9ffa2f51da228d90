#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tc {

// Runs long work (imports, exports) one task after another, in the order it was given, on a thread of its
// own, so the main thread never waits for a decode or a file copy. The thread starts with the first task.
//
// Thread: post() and idle() from any thread; the destructor on the thread that made the queue. The
// destructor lets the running task finish, drops the tasks that have not started and joins the thread.
// A task must not destroy its own queue.
class WorkQueue {
public:
    WorkQueue() = default;
    ~WorkQueue();
    WorkQueue(const WorkQueue &) = delete;
    WorkQueue &operator=(const WorkQueue &) = delete;

    // Queues `task` behind the others; it runs on the queue's thread. Ignored once the queue is stopping.
    void post(std::function<void()> task);
    // Whether no task is running or waiting.
    bool idle() const;
    // Whether the queue is being destroyed: a long task may look at it between steps and end early.
    bool stopping() const;

private:
    void run();

    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false; // a task is running now
    bool stopping_ = false;
    std::thread thread_; // started by the first post()
};

} // namespace tc
