// The keyboard backends' thread: named, woken from any thread, stopped and joined, and startable again.

#include "engine/linux/WakeableThread.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

using namespace tc;

namespace {

// A loop as the backends write it: poll the wake descriptor, count the wake-ups, end when asked to.
struct Loop {
    std::mutex mutex;
    std::condition_variable changed;
    int wakes = 0;
    int runs = 0;
    std::string name;

    void run(WakeableThread &thread) {
        char buffer[16] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof buffer);
        {
            std::lock_guard lock(mutex);
            name = buffer;
            ++runs;
        }
        changed.notify_all();
        pollfd fd{thread.wakeFd(), POLLIN, 0};
        while (!thread.stopRequested()) {
            if (poll(&fd, 1, -1) > 0 && (fd.revents & POLLIN)) {
                if (thread.takeWake()) {
                    return;
                }
                std::lock_guard lock(mutex);
                ++wakes;
                changed.notify_all();
            }
        }
    }
    template <class Done> bool waitUntil(Done done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), done);
    }
};

} // namespace

TEST(WakeableThread, RunsNamedWakesOnRequestAndStopsForGood) {
    Loop loop;
    WakeableThread thread;
    ASSERT_GE(thread.wakeFd(), 0);
    EXPECT_FALSE(thread.running());
    ASSERT_TRUE(thread.start("Tapchime.test", [&] { loop.run(thread); }));
    EXPECT_TRUE(thread.running());
    EXPECT_FALSE(thread.start("Tapchime.again", [] {})); // one loop at a time
    ASSERT_TRUE(loop.waitUntil([&] { return loop.runs == 1; }));
    EXPECT_EQ(loop.name, "Tapchime.test");

    // A wake from another thread reaches the loop, which keeps running.
    std::thread([&] { thread.wake(); }).join();
    ASSERT_TRUE(loop.waitUntil([&] { return loop.wakes >= 1; }));
    EXPECT_FALSE(thread.stopRequested());

    thread.stop(); // returns once the loop has
    EXPECT_FALSE(thread.running());
    EXPECT_TRUE(thread.stopRequested());
    thread.stop(); // nothing left to stop

    // A wake-up while no loop runs waits for the next one; a new start begins a fresh loop.
    thread.wake();
    const int wakesBefore = loop.wakes;
    ASSERT_TRUE(thread.start("Tapchime.test", [&] { loop.run(thread); }));
    EXPECT_FALSE(thread.stopRequested());
    ASSERT_TRUE(loop.waitUntil([&] { return loop.runs == 2 && loop.wakes == wakesBefore + 1; }));
}

TEST(WakeableThread, DestructionStopsTheLoop) {
    std::atomic<bool> returned = false;
    {
        WakeableThread thread;
        ASSERT_TRUE(thread.start("Tapchime.test", [&] {
            pollfd fd{thread.wakeFd(), POLLIN, 0};
            while (!thread.stopRequested()) {
                if (poll(&fd, 1, -1) > 0 && thread.takeWake()) {
                    break;
                }
            }
            returned = true;
        }));
    }
    EXPECT_TRUE(returned);
}
