// Replacing the keyboard handler while the key thread calls it.

#include "engine/KeyHandlerSlot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

using namespace tc;

TEST(KeyHandlerSlot, DropsEventsWithoutAHandler) {
    KeyHandlerSlot slot;
    EXPECT_FALSE(slot.hasHandler());
    slot.dispatch(KeyEvent{}); // nothing to call, nothing happens
    int calls = 0;
    slot.set([&](const KeyEvent &) { ++calls; });
    EXPECT_TRUE(slot.hasHandler());
    slot.dispatch(KeyEvent{});
    slot.set({});
    EXPECT_FALSE(slot.hasHandler());
    slot.dispatch(KeyEvent{});
    EXPECT_EQ(calls, 1);
}

// The owner swaps handlers while a key thread dispatches without pause. Each handler takes a little while
// and then looks whether it has been retired, and it reads memory that is freed right after set() returns:
// a call still running after set() returned would count as late (and the sanitizer builds would see the
// freed memory).
TEST(KeyHandlerSlot, AReplacedHandlerIsNeverCalledAfterSetReturns) {
    KeyHandlerSlot slot;
    std::atomic<bool> done{false};
    std::atomic<long> dispatched{0};
    std::thread keyThread([&] {
        KeyEvent event{0, true, false, 0, "a"};
        while (!done) {
            slot.dispatch(event);
            ++dispatched;
        }
    });

    std::atomic<int> lateCalls{0};
    for (int round = 0; round < 200; ++round) {
        auto retired = std::make_shared<std::atomic<bool>>(false);
        auto owned = std::make_unique<int>(round);
        const int *value = owned.get();
        slot.set([retired, value, &lateCalls](const KeyEvent &) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
            volatile int sink = 0;
            while (std::chrono::steady_clock::now() < until) {
                sink = sink + *value;
            }
            if (*retired) {
                ++lateCalls;
            }
        });
        const long target = dispatched + 3;
        while (dispatched < target) {
            std::this_thread::yield();
        }
        slot.set({});
        *retired = true;
        owned.reset();
    }
    done = true;
    keyThread.join();
    EXPECT_EQ(lateCalls, 0);
}

TEST(KeyHandlerSlot, TheHandlerMayReplaceItself) {
    KeyHandlerSlot slot;
    std::vector<std::string> calls;
    slot.set([&](const KeyEvent &) {
        calls.push_back("first");
        slot.set([&](const KeyEvent &) { calls.push_back("second"); });
        calls.push_back("first, after replacing itself");
    });
    slot.dispatch(KeyEvent{});
    slot.dispatch(KeyEvent{});
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "first, after replacing itself", "second"}));
}

TEST(KeyHandlerSlot, AThrowingHandlerLosesOnlyItsEvent) {
    KeyHandlerSlot slot;
    int calls = 0;
    slot.set([&](const KeyEvent &event) {
        ++calls;
        if (event.code == 1) {
            throw std::runtime_error("handler failed");
        }
    });
    slot.dispatch(KeyEvent{1, true, false, 0, {}});
    slot.dispatch(KeyEvent{2, true, false, 0, {}});
    EXPECT_EQ(calls, 2);
    // The slot is not left marked as busy: replacing the handler returns.
    slot.set({});
}
