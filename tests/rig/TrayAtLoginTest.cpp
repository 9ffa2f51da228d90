// Started before the desktop's panel, as at login: the program's tray icon is embedded in a tray that comes
// up after it, and answers a right click with its menu and a left click with the panel.

#include "support/ChildProcess.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

using namespace tc::test;

#ifdef TAPCHIME_PROGRAM
namespace {

// Windows come and go while the tree is walked (a menu closing between XQueryTree and a look at one of its
// children): the request about a window gone fails, and Xlib's own handler would end the test's process.
int ignoreXErrors(Display *, XErrorEvent *) {
    return 0;
}

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

// The shown top-level windows of a class, as rectangles on the screen.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
std::vector<Box> shownWindows(Display *display, const std::string &windowClassName) {
    std::vector<Box> boxes;
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return boxes;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            windowClass(display, children[i]) == windowClassName) {
            boxes.push_back({attributes.x, attributes.y, attributes.width, attributes.height});
        }
    }
    if (children) {
        XFree(children);
    }
    return boxes;
}

// Whether a shown window of the program fits the test.
bool programShows(Display *display, const std::function<bool(const Box &)> &test) {
    for (const Box &box : shownWindows(display, "Tapchime")) {
        if (test(box)) {
            return true;
        }
    }
    return false;
}

bool inside(const Box &inner, const Box &outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// The centre of the program's icon inside the tray, on the screen; nothing while it is not embedded and shown,
// or while the tray is still laying out: a tray that sizes itself to its icons embeds the icon first and then
// grows and moves to hold it on the screen (until then the icon sat half off the screen, where a click reached
// nothing).
std::optional<std::pair<int, int>> iconCentre(Display *display, Window window, const std::optional<Box> &tray) {
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
        return std::nullopt;
    }
    std::optional<std::pair<int, int>> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        const std::string name = windowClass(display, children[i]);
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes)) {
            continue;
        }
        Box box{0, 0, attributes.width, attributes.height};
        Window child = 0;
        XTranslateCoordinates(display, children[i], root, 0, 0, &box.x, &box.y, &child);
        if (tray && name == "Tapchime" && attributes.map_state == IsViewable) {
            const Box screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                             DisplayHeight(display, DefaultScreen(display))};
            if (inside(box, *tray) && inside(*tray, screen)) {
                found = std::make_pair(box.x + box.width / 2, box.y + box.height / 2);
            }
        } else {
            found = iconCentre(display, children[i], tray ? tray : name == "trayer" ? std::optional<Box>(box) : tray);
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

// Where things stand, for a failure's message: the icon's centre now and the shown top-level windows.
std::string scene(Display *display) {
    std::string text = "icon now at ";
    const auto icon = iconCentre(display, DefaultRootWindow(display), std::nullopt);
    text += icon ? std::to_string(icon->first) + " " + std::to_string(icon->second) : "(none)";
    for (const char *name : {"trayer", "Tapchime"}) {
        for (const Box &box : shownWindows(display, name)) {
            text += "; " + std::string(name) + " " + std::to_string(box.x) + "," + std::to_string(box.y) + " " +
                    std::to_string(box.width) + "x" + std::to_string(box.height);
        }
    }
    return text;
}

} // namespace
#endif

TEST(TrayAtLogin, TheIconIsEmbeddedInATrayThatComesUpLaterAndAnswersBothButtons) {
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

    // Closed, and Xlib's own error handler back, however the test ends.
    struct Connection {
        Display *display = nullptr;
        XErrorHandler previous = XSetErrorHandler(ignoreXErrors);
        ~Connection() {
            if (display) {
                XCloseDisplay(display);
            }
            XSetErrorHandler(previous);
        }
    } connection;
    connection.display = XOpenDisplay(x.display().c_str());
    Display *display = connection.display;
    ASSERT_NE(display, nullptr);
    ChildProcess program({TAPCHIME_PROGRAM});
    // Up: without a tray its main window opens, so that it stays reachable.
    ASSERT_TRUE(waitUntil([&] { return anyWindowOf(display, "Tapchime"); }, std::chrono::seconds(30)));

    ChildProcess trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
    ASSERT_TRUE(waitUntil([&] { return contains(display, DefaultRootWindow(display), "trayer", "Tapchime", false); },
                          std::chrono::seconds(30)))
        << "the tray icon was not embedded in the tray that came up later";

    // A right click opens the small menu; a left click the panel (a narrow, tall popup).
    std::optional<std::pair<int, int>> icon;
    ASSERT_TRUE(
        waitUntil([&] { return (icon = iconCentre(display, DefaultRootWindow(display), std::nullopt)).has_value(); },
                  std::chrono::seconds(30)))
        << "the embedded icon is not shown";
    const std::string at = std::to_string(icon->first) + " " + std::to_string(icon->second);
    const auto isMenu = [](const Box &box) { return box.height < 200 && box.width < 400; };
    const auto isPanel = [](const Box &box) { return box.height > 300 && box.width < 500; };
    runCommand("xdotool mousemove " + at + " click 3");
    EXPECT_TRUE(waitUntil([&] { return programShows(display, isMenu); }, std::chrono::seconds(30)))
        << "right click at " << at << "; " << scene(display);
    runCommand("xdotool key Escape");
    EXPECT_TRUE(waitUntil([&] { return !programShows(display, isMenu); }, std::chrono::seconds(30)));
    runCommand("xdotool mousemove " + at + " click 1");
    EXPECT_TRUE(waitUntil([&] { return programShows(display, isPanel); }, std::chrono::seconds(30)))
        << "left click at " << at << "; " << scene(display);
#endif
}
