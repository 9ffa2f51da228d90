// Started before the desktop's panel, as at login: the program's tray icon is embedded in a tray that comes
// up after it.

#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>

using namespace tc::test;

namespace {

// The class part of a window's WM_CLASS, or empty.
std::string windowClass(Display *display, Window window) {
    XClassHint hint{};
    if (!XGetClassHint(display, window, &hint)) {
        return {};
    }
    std::string result = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return result;
}

// Whether some window of class `inner` sits (at any depth) inside a window of class `outer`.
bool contains(Display *display, Window window, const std::string &outer, const std::string &inner, bool insideOuter) {
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
        return false;
    }
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        const std::string name = windowClass(display, children[i]);
        if (insideOuter && name == inner) {
            found = true;
        } else {
            found = contains(display, children[i], outer, inner, insideOuter || name == outer);
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

bool anyWindowOf(Display *display, const std::string &windowClassName) {
    return contains(display, DefaultRootWindow(display), "", windowClassName, true);
}

} // namespace

TEST(TrayAtLogin, TheIconIsEmbeddedInATrayThatComesUpAfterTheProgram) {
#ifndef TAPCHIME_PROGRAM
    GTEST_SKIP() << "built without the Qt program";
#else
    RigX x; // no tray yet
    TempDir home;
    const auto runtime = home.path() / "run";
    std::filesystem::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    // A home of its own: no document, no running copy, no sound server.
    ScopedEnv homeVar("HOME", home.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "config").string());
    ScopedEnv data("XDG_DATA_HOME", (home.path() / "data").string());
    ScopedEnv runtimeVar("XDG_RUNTIME_DIR", runtime.string());
    ScopedEnv pulse("PULSE_SERVER", "unix:" + (home.path() / "no-server").string());
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home.path() / "no-bus").string());

    Display *display = XOpenDisplay(x.display().c_str());
    ASSERT_NE(display, nullptr);
    ChildProcess program({TAPCHIME_PROGRAM});
    // Up: without a tray its main window opens, so that it stays reachable.
    ASSERT_TRUE(waitUntil([&] { return anyWindowOf(display, "Tapchime"); }, std::chrono::seconds(30)));

    ChildProcess trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
    EXPECT_TRUE(waitUntil([&] { return contains(display, DefaultRootWindow(display), "trayer", "Tapchime", false); },
                          std::chrono::seconds(30)))
        << "the tray icon was not embedded in the tray that came up later";
    XCloseDisplay(display);
#endif
}
