// On the rig's X server with a window manager, activating a window reports its application by desktop entry.

#include "support/Rig.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "engine/linux/X11FrontmostAppSource.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
namespace fs = std::filesystem;

namespace {

// Reports collected from the source's thread.
struct Reports {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<AppIdentity> apps;

    void add(const AppIdentity &app) {
        std::lock_guard guard(lock);
        apps.push_back(app);
        arrived.notify_all();
    }
    // Waits until a report with this id arrived; returns every report so far.
    std::vector<AppIdentity> waitFor(const std::string &id) {
        std::unique_lock guard(lock);
        arrived.wait_for(guard, std::chrono::seconds(10), [&] {
            return std::any_of(apps.begin(), apps.end(), [&](const AppIdentity &a) { return a.bundleId == id; });
        });
        return apps;
    }
};

// A top-level window of another client, with a class hint and optionally a process id.
Window makeWindow(Display *display, const char *instance, const char *className, long pid) {
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>(instance), const_cast<char *>(className)};
    XSetClassHint(display, window, &hint);
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    XChangeProperty(display, window, pidAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char *>(&pid),
                    1);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void activate(Window window) {
    runCommand("xdotool windowactivate --sync " + std::to_string(window) + " >/dev/null 2>&1");
}

} // namespace

TEST(X11FrontmostAppSource, ActivationsAreReportedByDesktopEntryAndOwnWindowsNever) {
    RigX x(RigX::Options{.windowManager = true});
    TempDir data;
    const auto applications = data.path() / "applications";
    fs::create_directories(applications);
    std::ofstream(applications / "org.example.Tool.desktop")
        << "[Desktop Entry]\nType=Application\nName=Example Tool\nExec=tool\n";

    auto source = X11FrontmostAppSource::open(x.display(), DesktopEntries({applications}, {}));
    ASSERT_NE(source, nullptr);
    Reports reports;
    source->start([&](const AppIdentity &app) { reports.add(app); });

    Display *client = XOpenDisplay(x.display().c_str());
    ASSERT_NE(client, nullptr);
    const Window own = makeWindow(client, "tapchime", "Tapchime", static_cast<long>(getpid()));
    const Window tool = makeWindow(client, "tool", "org.example.Tool", 999999);
    const Window term = makeWindow(client, "xterm", "XTerm", 999998);

    activate(tool);
    auto apps = reports.waitFor("org.example.Tool");
    ASSERT_FALSE(apps.empty());
    EXPECT_EQ(apps.back(), (AppIdentity{"org.example.Tool", "Example Tool"}));

    activate(own);
    activate(term);
    apps = reports.waitFor("XTerm");
    EXPECT_EQ(apps.back(), (AppIdentity{"XTerm", "XTerm"}));
    for (const auto &app : apps) {
        EXPECT_NE(app.bundleId, "Tapchime") << "the program's own window was reported";
    }

    // Every activation counts, also a return to an application seen before. The window manager may announce
    // one activation more than once, so a late repeat of XTerm may come first: wait for Tool after it.
    const auto before = apps.size();
    activate(tool);
    std::unique_lock guard(reports.lock);
    const auto toolAgain = [&] {
        return std::any_of(reports.apps.begin() + static_cast<std::ptrdiff_t>(before), reports.apps.end(),
                           [](const AppIdentity &a) { return a.bundleId == "org.example.Tool"; });
    };
    EXPECT_TRUE(reports.arrived.wait_for(guard, std::chrono::seconds(10), toolAgain))
        << "a return to an application seen before was not reported";
    guard.unlock();

    source.reset(); // stops the thread before the server goes
    XCloseDisplay(client);
}

TEST(X11FrontmostAppSource, ReportsTheWindowInFrontAtStart) {
    RigX x(RigX::Options{.windowManager = true});
    Display *client = XOpenDisplay(x.display().c_str());
    ASSERT_NE(client, nullptr);
    activate(makeWindow(client, "early", "Early", 999999));

    auto source = X11FrontmostAppSource::open(x.display(), DesktopEntries({}, {}));
    ASSERT_NE(source, nullptr);
    Reports reports;
    source->start([&](const AppIdentity &app) { reports.add(app); });
    EXPECT_EQ(reports.waitFor("Early").front(), (AppIdentity{"Early", "Early"}));
    source.reset();
    XCloseDisplay(client);
}

TEST(X11FrontmostAppSource, NoServerGivesNoSource) {
    EXPECT_EQ(X11FrontmostAppSource::open(":987654", DesktopEntries({}, {})), nullptr);
}
