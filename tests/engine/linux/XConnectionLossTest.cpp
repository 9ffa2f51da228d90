// The X server going away under the keyboard monitor: with the program's handler in place, the monitor's thread
// notices, tells the main thread and ends, and the process lives on (Xlib's own handler would have ended it from
// the monitor's thread). An Xlib call of ours that trips over the lost connection returns on its own thread.

#include "engine/linux/XConnectionLoss.h"
#include "engine/linux/XInput2KeyboardMonitor.h"
#include "support/KeyEventRecorder.h"
#include "support/Rig.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <atomic>
#include <chrono>
#include <thread>

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

TEST(XConnectionLoss, AnXlibCallOnALostConnectionOfOursReturnsOnItsThreadAndMarksItLost) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "libX11 releases its display lock twice on its way back from a lost connection";
#else
    RigX rig;
    XConnectionLoss::install(countEnd, countNotification);
    Display *display = XOpenDisplay(rig.display().c_str());
    ASSERT_NE(display, nullptr);
    std::atomic<bool> lost{false};
    XConnectionLoss::adopt(display, &lost);

    rig.stop();
    std::thread reader([display] { XSync(display, False); }); // the server is gone: the call fails
    reader.join();
    EXPECT_TRUE(lost);
    EXPECT_GE(notifications.load(), 1);
    EXPECT_EQ(mainThreadEnds.load(), 0);
    XConnectionLoss::forget(display); // not closed: Xlib keeps a lost connection locked
#endif
}
