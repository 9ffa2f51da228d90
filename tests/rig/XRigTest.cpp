// The rig's X server delivers an XTest key press to an XInput 2.1 raw-key listener.

#include "support/Rig.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <poll.h>

using namespace tc::test;

namespace {

// Waits for the next XI raw event of the given type; returns its key code, or 0 on timeout.
int nextRawKey(Display *display, int opcode, int type, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie *cookie = &event.xcookie;
            if (cookie->type == GenericEvent && cookie->extension == opcode && XGetEventData(display, cookie)) {
                int detail = 0;
                if (cookie->evtype == type) {
                    detail = static_cast<XIRawEvent *>(cookie->data)->detail;
                }
                XFreeEventData(display, cookie);
                if (detail != 0) {
                    return detail;
                }
            }
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 20);
    }
    return 0;
}

} // namespace

TEST(XRig, XTestKeyPressArrivesAsXInput21RawKeyEvents) {
    RigX x;
    Display *listener = XOpenDisplay(x.display().c_str());
    ASSERT_NE(listener, nullptr);
    int opcode = 0, firstEvent = 0, firstError = 0;
    ASSERT_TRUE(XQueryExtension(listener, "XInputExtension", &opcode, &firstEvent, &firstError));
    int major = 2, minor = 1;
    ASSERT_EQ(XIQueryVersion(listener, &major, &minor), Success);
    ASSERT_TRUE(major > 2 || (major == 2 && minor >= 1));

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    XISelectEvents(listener, DefaultRootWindow(listener), &mask, 1);
    XSync(listener, False);

    Display *injector = XOpenDisplay(x.display().c_str());
    ASSERT_NE(injector, nullptr);
    const KeyCode a = XKeysymToKeycode(injector, XStringToKeysym("a"));
    ASSERT_NE(a, 0);
    XTestFakeKeyEvent(injector, a, True, CurrentTime);
    XTestFakeKeyEvent(injector, a, False, CurrentTime);
    XSync(injector, False);

    EXPECT_EQ(nextRawKey(listener, opcode, XI_RawKeyPress, std::chrono::seconds(2)), a);
    EXPECT_EQ(nextRawKey(listener, opcode, XI_RawKeyRelease, std::chrono::seconds(2)), a);

    XCloseDisplay(injector);
    XCloseDisplay(listener);
}
