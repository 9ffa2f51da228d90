#include "engine/WorkQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tc {
namespace {

// A door a task waits at until the test opens it; the test can wait until a task stands at it.
class Door {
public:
    void wait() {
        std::unique_lock guard(lock_);
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(guard, [this] { return open_; });
    }
    void waitUntilSomeoneWaits() {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return waiting_; });
    }
    void open() {
        std::lock_guard guard(lock_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool waiting_ = false;
    bool open_ = false;
};

TEST(WorkQueue, RunsTasksInOrderOnOneThreadOfItsOwn) {
    std::mutex lock;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    Door last;
    {
        WorkQueue queue;
        EXPECT_TRUE(queue.idle());
        for (int i = 0; i < 20; ++i) {
            queue.post([&, i] {
                std::lock_guard guard(lock);
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
        }
        queue.post([&] { last.wait(); });
        last.waitUntilSomeoneWaits();
        EXPECT_FALSE(queue.idle()); // the last task is still running
        EXPECT_FALSE(queue.stopping());
        last.open();
        while (!queue.idle()) {
            std::this_thread::yield();
        }
    }
    std::vector<int> expected(20);
    for (int i = 0; i < 20; ++i) {
        expected[static_cast<std::size_t>(i)] = i;
    }
    EXPECT_EQ(order, expected);
    for (const auto &id : threads) {
        EXPECT_EQ(id, threads.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST(WorkQueue, GoingLetsTheRunningTaskFinishAndDropsTheRest) {
    Door door;
    bool sawStopping = false;
    bool later = false;
    auto queue = std::make_unique<WorkQueue>();
    WorkQueue *raw = queue.get();
    queue->post([&] {
        door.wait();
        // The destructor has begun: a long task can see it and end early.
        while (!raw->stopping()) {
            std::this_thread::yield();
        }
        sawStopping = true;
    });
    queue->post([&] { later = true; });
    door.waitUntilSomeoneWaits();
    std::thread opener([&] { door.open(); });
    queue.reset(); // waits for the running task
    opener.join();
    EXPECT_TRUE(sawStopping);
    EXPECT_FALSE(later);
}

TEST(WorkQueue, PostsFromSeveralThreadsAllRun) {
    std::atomic<int> ran{0};
    {
        WorkQueue queue;
        std::vector<std::thread> posters;
        for (int t = 0; t < 4; ++t) {
            posters.emplace_back([&] {
                for (int i = 0; i < 50; ++i) {
                    queue.post([&] { ++ran; });
                }
            });
        }
        for (auto &poster : posters) {
            poster.join();
        }
        while (!queue.idle()) {
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(ran.load(), 200);
}

// A lane of several threads (the drawing lane) runs its tasks side by side: the first waits for the second to begin.
TEST(WorkQueue, SeveralThreadsRunTasksSideBySideAndStopTakesNoMore) {
    std::mutex lock;
    std::condition_variable changed;
    bool secondBegan = false;
    bool firstSawIt = false;
    WorkQueue queue(2);
    queue.post([&] {
        std::unique_lock guard(lock);
        firstSawIt = changed.wait_for(guard, std::chrono::seconds(20), [&] { return secondBegan; });
    });
    queue.post([&] {
        std::lock_guard guard(lock);
        secondBegan = true;
        changed.notify_all();
    });
    while (!queue.idle()) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(firstSawIt);

    queue.stop();
    bool ran = false;
    queue.post([&] { ran = true; });
    EXPECT_TRUE(queue.idle());
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace tc
