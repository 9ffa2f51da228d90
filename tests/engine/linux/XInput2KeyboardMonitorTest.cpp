// The X11 backend on the rig's private X server, with keys injected through XTest.

#include "engine/linux/XInput2KeyboardMonitor.h"
#include "support/KeyEventRecorder.h"
#include "support/Rig.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <linux/input-event-codes.h>

using namespace tc;
using namespace tc::test;

namespace {

KeyEvent event(std::uint16_t code, bool isDown, std::uint64_t flags, std::string characters = {},
               bool isRepeat = false) {
    return KeyEvent{code, isDown, isRepeat, flags, std::move(characters)};
}

class XInput2KeyboardMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        injector_ = XOpenDisplay(rig_.display().c_str());
        ASSERT_NE(injector_, nullptr);
        monitor_ = std::make_unique<XInput2KeyboardMonitor>();
        monitor_->setHandler(recorder_.handler());
        ASSERT_TRUE(monitor_->start());
    }
    void TearDown() override {
        monitor_.reset();
        if (injector_) {
            XCloseDisplay(injector_);
        }
    }
    // Sends a Linux key code as an X key code (evdev code + 8) through XTest.
    void send(unsigned linuxCode, bool press) {
        XTestFakeKeyEvent(injector_, linuxCode + 8, press ? True : False, CurrentTime);
        XSync(injector_, False);
    }
    void tap(unsigned linuxCode) {
        send(linuxCode, true);
        send(linuxCode, false);
    }

    RigX rig_;
    Display *injector_ = nullptr;
    KeyEventRecorder recorder_;
    std::unique_ptr<XInput2KeyboardMonitor> monitor_;
};

} // namespace

TEST_F(XInput2KeyboardMonitorTest, ReportsPressesAndReleasesWithText) {
    tap(KEY_A);
    tap(KEY_SPACE);
    const std::vector<KeyEvent> expected = {event(0, true, 0, "a"), event(0, false, 0, "a"), event(49, true, 0, " "),
                                            event(49, false, 0, " ")};
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(XInput2KeyboardMonitorTest, ASecondPressWithoutReleaseIsARepeat) {
    send(KEY_L, true);
    send(KEY_L, true);
    send(KEY_L, false);
    const std::vector<KeyEvent> expected = {event(37, true, 0, "l"), event(37, true, 0, "l", true),
                                            event(37, false, 0, "l")};
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(XInput2KeyboardMonitorTest, ReportsModifierFlagsWithTheirDeviceBits) {
    send(KEY_LEFTSHIFT, true);
    tap(KEY_A);
    send(KEY_LEFTSHIFT, false);
    send(KEY_RIGHTCTRL, true);
    send(KEY_LEFTMETA, true);
    tap(KEY_N);
    send(KEY_LEFTMETA, false);
    send(KEY_RIGHTCTRL, false);
    const std::vector<KeyEvent> expected = {
        event(56, true, 0x20002),
        event(0, true, 0x20002, "A"),
        event(0, false, 0x20002, "A"),
        event(56, false, 0),
        event(62, true, 0x42000),
        event(55, true, 0x142008),
        event(45, true, 0x142008, "\x0e"), // Control-N types the control character SO
        event(45, false, 0x142008, "\x0e"),
        event(55, false, 0x42000),
        event(62, false, 0),
    };
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(XInput2KeyboardMonitorTest, ReportsControlOptionK) {
    send(KEY_LEFTCTRL, true);
    send(KEY_LEFTALT, true);
    tap(KEY_K);
    send(KEY_LEFTALT, false);
    send(KEY_LEFTCTRL, false);
    const auto events = recorder_.waitFor(6);
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[2].code, 40);
    EXPECT_TRUE(events[2].isDown);
    EXPECT_EQ(events[2].flags, 0x40000u | 0x80000u | 0x1u | 0x20u);
}

TEST_F(XInput2KeyboardMonitorTest, CapsLockReportsEveryPressAsAKeyDown) {
    tap(KEY_CAPSLOCK);
    tap(KEY_G);
    tap(KEY_CAPSLOCK);
    tap(KEY_G);
    const std::vector<KeyEvent> expected = {
        event(57, true, 0x10000), event(5, true, 0x10000, "G"), event(5, false, 0x10000, "G"),
        event(57, true, 0),       event(5, true, 0, "g"),       event(5, false, 0, "g"),
    };
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
}

TEST_F(XInput2KeyboardMonitorTest, HearsKeysWhileAnotherClientGrabsTheKeyboard) {
    Display *grabber = XOpenDisplay(rig_.display().c_str());
    ASSERT_NE(grabber, nullptr);
    ASSERT_EQ(XGrabKeyboard(grabber, DefaultRootWindow(grabber), False, GrabModeAsync, GrabModeAsync, CurrentTime),
              GrabSuccess);
    XSync(grabber, False);
    tap(KEY_P);
    const std::vector<KeyEvent> expected = {event(35, true, 0, "p"), event(35, false, 0, "p")};
    EXPECT_EQ(recorder_.waitFor(expected.size()), expected);
    XUngrabKeyboard(grabber, CurrentTime);
    XCloseDisplay(grabber);
}

TEST_F(XInput2KeyboardMonitorTest, FollowsKeymapChangesAndLayoutSwitches) {
    runCommand("setxkbmap -display " + rig_.display() + " -layout us,de");
    tap(KEY_Y);
    EXPECT_EQ(recorder_.take(2).at(0).characters, "y");

    ASSERT_TRUE(XkbLockGroup(injector_, XkbUseCoreKbd, 1)); // the desktop switches to the second layout
    XSync(injector_, False);
    tap(KEY_Y);
    EXPECT_EQ(recorder_.take(2).at(0).characters, "z");

    runCommand("setxkbmap -display " + rig_.display() + " -layout fr");
    tap(KEY_Q);
    EXPECT_EQ(recorder_.take(2).at(0).characters, "a");
}

TEST_F(XInput2KeyboardMonitorTest, StartsOnceAndStopsCleanly) {
    EXPECT_TRUE(monitor_->isRunning());
    EXPECT_TRUE(monitor_->start());
    tap(KEY_TAB);
    EXPECT_EQ(recorder_.waitFor(2).size(), 2u);
    monitor_->stop();
    EXPECT_FALSE(monitor_->isRunning());
    tap(KEY_TAB);
    XSync(injector_, False);
    EXPECT_EQ(recorder_.events().size(), 2u); // nothing is delivered once stop() returned
}

TEST(XInput2KeyboardMonitor, DoesNotStartWithoutADisplay) {
    XInput2KeyboardMonitor monitor(":999");
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.isRunning());
}
