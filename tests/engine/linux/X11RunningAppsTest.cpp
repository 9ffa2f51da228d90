// On the rig's X server with a window manager: the applications with windows, named by desktop entry.

#include "support/Rig.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "engine/linux/DesktopEntries.h"
#include "engine/linux/X11RunningApps.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
namespace fs = std::filesystem;

namespace {

// A top-level window of another client with a class hint, a process id and optional extra atoms set before it
// is mapped.
Window makeWindow(Display *display, const char *instance, const char *className, long pid,
                  const char *typeAtom = nullptr, const char *stateAtom = nullptr) {
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>(instance), const_cast<char *>(className)};
    XSetClassHint(display, window, &hint);
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    XChangeProperty(display, window, pidAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char *>(&pid),
                    1);
    if (typeAtom) {
        Atom type = XInternAtom(display, typeAtom, False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char *>(&type), 1);
    }
    if (stateAtom) {
        Atom state = XInternAtom(display, stateAtom, False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char *>(&state), 1);
    }
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

std::vector<std::string> ids(const std::vector<AppIdentity> &apps) {
    std::vector<std::string> out;
    for (const AppIdentity &app : apps) {
        out.push_back(app.bundleId);
    }
    return out;
}

} // namespace

TEST(X11RunningApps, ListsEachApplicationWithWindowsOnceByDesktopEntry) {
    RigX x(RigX::Options{.windowManager = true});
    TempDir data;
    const auto applications = data.path() / "applications";
    fs::create_directories(applications);
    std::ofstream(applications / "org.example.Tool.desktop")
        << "[Desktop Entry]\nType=Application\nName=Example Tool\nExec=tool\n";
    const DesktopEntries entries({applications}, {});
    const RunningAppsSource::Namer name = [&](const WindowHints &hints) { return entries.resolve(hints); };
    X11RunningApps running(x.display());

    Display *client = XOpenDisplay(x.display().c_str());
    ASSERT_NE(client, nullptr);
    // The windows left out come first: once the last window is listed, they have been managed too.
    makeWindow(client, "tapchime", "Tapchime", static_cast<long>(getpid()));
    makeWindow(client, "panel", "Panel", 999997, "_NET_WM_WINDOW_TYPE_DOCK");
    makeWindow(client, "palette", "Palette", 999996, nullptr, "_NET_WM_STATE_SKIP_TASKBAR");
    makeWindow(client, "tool", "org.example.Tool", 999999);
    makeWindow(client, "tool", "org.example.Tool", 999999); // a second window of the same application
    makeWindow(client, "xterm", "XTerm", 999998);

    // The window manager lists the windows as it manages them.
    std::vector<AppIdentity> apps;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        apps = running.list(name);
        if (!apps.empty() && apps.back().bundleId == "XTerm") {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ids(apps), (std::vector<std::string>{"org.example.Tool", "XTerm"}));
    ASSERT_FALSE(apps.empty());
    EXPECT_EQ(apps.front().name, "Example Tool");
    // Every list went over the one connection opened for the first.
    EXPECT_EQ(running.connectionsOpened(), 1);
    XCloseDisplay(client);
}

TEST(X11RunningApps, WithoutAnXServerTheListIsEmpty) {
    X11RunningApps running(":9999");
    EXPECT_TRUE(running.list([](const WindowHints &) { return AppIdentity{"any", "Any"}; }).empty());
}
