#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tc {

// Runs long work (imports, exports, reads of the desktop, queries of the sound server, drawing) on threads of
// its own, so the main thread never waits for a decode, a file copy or a server. Tasks start in the order they
// were given; with one thread (the default) each runs after the one before has ended, with more they may run
// side by side. The threads start with the first task.
//
// Thread: post(), idle() and stopping() from any thread; stop() and the destructor on the thread that made the
// queue. Stopping lets the running tasks finish, drops the tasks that have not started and joins the threads.
// A task must not stop or destroy its own queue.
class WorkQueue {
public:
    explicit WorkQueue(unsigned threads = 1);
    ~WorkQueue();
    WorkQueue(const WorkQueue &) = delete;
    WorkQueue &operator=(const WorkQueue &) = delete;

    // Queues `task` behind the others; it runs on one of the queue's threads. Ignored once the queue is stopping.
    void post(std::function<void()> task);
    // Whether no task is running or waiting.
    bool idle() const;
    // Whether the queue is stopping: a long task may look at it between steps and end early.
    bool stopping() const;
    // Waits for the running tasks and drops the rest; the queue takes no task after it.
    void stop();

private:
    void run();

    const unsigned threadCount_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    unsigned running_ = 0; // tasks running now
    bool stopping_ = false;
    std::vector<std::thread> threads_; // started by the first post()
};

} // namespace tc
