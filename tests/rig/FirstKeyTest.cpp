// The real program hears the keyboard from the moment its window shows: a hotkey pressed as soon as the window
// appears (the user who starts the program and presses Ctrl+Alt+K at once) is not lost.

#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "support/ProgramRig.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>

using namespace tc::test;

#ifdef TAPCHIME_PROGRAM
namespace {

bool isProgramWindow(Display *display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) {
        return false;
    }
    const bool ours = hint.res_class != nullptr && std::string(hint.res_class) == "Tapchime";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return ours;
}

bool isNotice(Display *display, Window window) {
    const Atom typeAtom = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom utility = XInternAtom(display, "_NET_WM_WINDOW_TYPE_UTILITY", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *value = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, window, typeAtom, 0, 16, False, XA_ATOM, &type, &format, &items, &after, &value) ==
            Success &&
        value != nullptr) {
        const auto *atoms = reinterpret_cast<const Atom *>(value);
        for (unsigned long n = 0; n < items; ++n) {
            found = found || atoms[n] == utility;
        }
        XFree(value);
    }
    return found;
}

bool noticeShown(Display *display) {
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return false;
    }
    bool shown = false;
    for (unsigned i = 0; i < count && !shown; ++i) {
        XWindowAttributes attributes{};
        shown = XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                isProgramWindow(display, children[i]) && isNotice(display, children[i]);
    }
    if (children) {
        XFree(children);
    }
    return shown;
}

// Blocks on the server's map notices until a window of the program is mapped; false when none is in time.
bool awaitProgramMap(Display *display, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && isProgramWindow(display, event.xmap.window)) {
                return true;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

void pressChord(Display *display, const std::vector<KeySym> &keys) {
    for (const KeySym key : keys) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, *key), False, CurrentTime);
    }
    XFlush(display);
}

} // namespace
#endif

TEST(FirstKey, AHotkeyPressedTheMomentTheWindowShowsIsHeard) {
#ifndef TAPCHIME_PROGRAM
    GTEST_SKIP() << "built without the Qt program";
#else
    RigPulse pulse;
    // A few starts: the press lands at a slightly different point of the start-up each time.
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RigX x;
        ProgramHome home;
        const auto log = home.path() / "program.log";

        RigDisplay connection(x.display());
        ASSERT_NE(connection.display, nullptr);
        Display *display = connection.display;
        // Told of every top-level window mapped from now on, before the program starts.
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);

        ChildProcess program({TAPCHIME_PROGRAM}, log.string());
        // Without a tray its main window opens; the chord goes out as soon as the server maps it.
        ASSERT_TRUE(awaitProgramMap(display, std::chrono::seconds(30))) << fileText(log);
        pressChord(display, {XK_Control_L, XK_Alt_L, XK_k});
        EXPECT_TRUE(waitUntil([&] { return noticeShown(display); }, std::chrono::seconds(30)))
            << "the hotkey pressed as the window showed was not heard\n"
            << fileText(log);
        program.terminate(std::chrono::seconds(10));
    }
#endif
}
