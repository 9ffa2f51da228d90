// The X server going away under the keyboard monitor: with the program's handler in place, the monitor's thread
// notices, tells the main thread and ends, and the process lives on (Xlib's own handler would have ended it from
// the monitor's thread).

#include "engine/linux/XConnectionLoss.h"
#include "engine/linux/XInput2KeyboardMonitor.h"
#include "support/KeyEventRecorder.h"
#include "support/Rig.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using namespace tc;
using namespace tc::test;

namespace {

std::atomic<int> mainThreadEnds{0};
std::atomic<int> notifications{0};

void countEnd() {
    ++mainThreadEnds;
}
void countNotification() {
    ++notifications;
}

} // namespace

TEST(XConnectionLoss, TheKeyboardThreadEndsQuietlyAndTellsTheMainThreadOnceWhenTheServerGoesAway) {
    RigX rig;
    XConnectionLoss::install(countEnd, countNotification);
    ASSERT_TRUE(XConnectionLoss::installed());
    KeyEventRecorder recorder;
    // Two connections of ours, each read on its own thread: the loss is told once.
    XInput2KeyboardMonitor first;
    XInput2KeyboardMonitor second;
    first.setHandler(recorder.handler());
    second.setHandler(recorder.handler());
    ASSERT_TRUE(first.start());
    ASSERT_TRUE(second.start());

    rig.stop();
    ASSERT_TRUE(waitUntil([] { return notifications.load() > 0; }, std::chrono::seconds(20)));
    // Stopping them returns at once, and closing the dead connections is safe.
    const auto before = std::chrono::steady_clock::now();
    first.stop();
    second.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(notifications.load(), 1);
    EXPECT_EQ(mainThreadEnds.load(), 0); // the main thread touched no X connection
}
