// The choice of keyboard backend at start().

#include "engine/linux/LinuxKeyboardMonitor.h"
#include "support/KeyEventRecorder.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <cstdlib>
#include <linux/input-event-codes.h>
#include <optional>

using namespace tc;
using namespace tc::test;

namespace {

LinuxKeyboardMonitor::Options withoutDevices(const TempDir &folder) {
    LinuxKeyboardMonitor::Options options;
    options.deviceFolder = folder.path().string();
    return options;
}

} // namespace

TEST(LinuxKeyboardMonitor, UsesXInput2OnAnX11SessionWithoutKeyboardDevices) {
    ScopedEnv waylandDisplay("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnv sessionType("XDG_SESSION_TYPE", "x11");
    RigX rig;
    TempDir folder;
    KeyEventRecorder recorder;
    LinuxKeyboardMonitor monitor(withoutDevices(folder));
    monitor.setHandler(recorder.handler());
    ASSERT_TRUE(monitor.start());
    EXPECT_TRUE(monitor.isRunning());
    EXPECT_EQ(monitor.backend(), LinuxKeyboardMonitor::Backend::xinput2);

    Display *injector = XOpenDisplay(rig.display().c_str());
    ASSERT_NE(injector, nullptr);
    XTestFakeKeyEvent(injector, KEY_W + 8, True, CurrentTime);
    XSync(injector, False);
    EXPECT_EQ(recorder.waitFor(1).at(0), (KeyEvent{13, true, false, 0, "w"}));

    // A handler set after start() reaches the running backend.
    KeyEventRecorder later;
    monitor.setHandler(later.handler());
    XTestFakeKeyEvent(injector, KEY_W + 8, False, CurrentTime);
    XSync(injector, False);
    EXPECT_EQ(later.waitFor(1).at(0), (KeyEvent{13, false, false, 0, "w"}));
    EXPECT_EQ(recorder.events().size(), 1u);
    XCloseDisplay(injector);
}

TEST(LinuxKeyboardMonitor, CannotHearTheKeyboardWithoutDevicesOrDisplay) {
    ScopedEnv display("DISPLAY", std::nullopt);
    ScopedEnv waylandDisplay("WAYLAND_DISPLAY", std::nullopt);
    TempDir folder;
    LinuxKeyboardMonitor monitor(withoutDevices(folder));
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.start()); // retrying changes nothing while nothing changed
    EXPECT_FALSE(monitor.isRunning());
    EXPECT_EQ(monitor.backend(), LinuxKeyboardMonitor::Backend::none);
}

TEST(LinuxKeyboardMonitor, AWaylandSessionWithoutKeyboardAccessIsNotHeardThroughXWayland) {
    RigX rig; // stands for XWayland: reachable, but it would only hear X clients
    ScopedEnv waylandDisplay("WAYLAND_DISPLAY", "wayland-0");
    TempDir folder;
    LinuxKeyboardMonitor monitor(withoutDevices(folder));
    EXPECT_FALSE(monitor.start());
    EXPECT_EQ(monitor.backend(), LinuxKeyboardMonitor::Backend::none);
}
