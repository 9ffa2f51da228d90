// The session decides which backends run; a backend that cannot be made leaves its null implementation.

#include "engine/linux/SystemSources.h"
#include "engine/NullKeyboardMonitor.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/X11FrontmostAppSource.h"
#include "engine/linux/X11RunningApps.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

// After GoogleTest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>

using namespace tc;
using namespace tc::test;

namespace {

// What one frontmost-application source reported, from its thread.
struct FrontmostReports {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<AppIdentity> apps;

    FrontmostAppSource::Handler handler() {
        return [this](const AppIdentity &app) {
            std::lock_guard guard(lock);
            apps.push_back(app);
            arrived.notify_all();
        };
    }
    bool waitFor(const std::string &id) {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, std::chrono::seconds(10), [&] {
            return std::any_of(apps.begin(), apps.end(), [&](const AppIdentity &a) { return a.bundleId == id; });
        });
    }
    std::vector<AppIdentity> all() {
        std::lock_guard guard(lock);
        return apps;
    }
};

} // namespace

TEST(SystemSources, ApplicationsAreKnownOnlyOnX11Sessions) {
    RigX x; // on a Wayland session it stands for Xwayland, which answers but names only X clients
    struct Case {
        const char *waylandDisplay, *sessionType;
        bool known;
    };
    for (const auto &c : std::vector<Case>{{nullptr, nullptr, true},
                                           {nullptr, "x11", true},
                                           {"", "tty", true},
                                           {"wayland-0", nullptr, false},
                                           {nullptr, "wayland", false}}) {
        ScopedEnv waylandDisplay("WAYLAND_DISPLAY", c.waylandDisplay);
        ScopedEnv sessionType("XDG_SESSION_TYPE", c.sessionType);
        auto source = SystemSources::frontmostApp();
        EXPECT_EQ(dynamic_cast<X11FrontmostAppSource *>(source.get()) != nullptr, c.known)
            << (c.waylandDisplay ? c.waylandDisplay : "-") << " " << (c.sessionType ? c.sessionType : "-");
        EXPECT_EQ(dynamic_cast<NullFrontmostAppSource *>(source.get()) != nullptr, !c.known);
        auto running = SystemSources::runningApps();
        EXPECT_EQ(dynamic_cast<X11RunningApps *>(running.get()) != nullptr, c.known);
        EXPECT_EQ(dynamic_cast<NullRunningAppsSource *>(running.get()) != nullptr, !c.known);
    }
    ScopedEnv waylandDisplay("WAYLAND_DISPLAY", nullptr);
    ScopedEnv sessionType("XDG_SESSION_TYPE", nullptr);
    ScopedEnv display("DISPLAY", nullptr);
    EXPECT_NE(dynamic_cast<NullFrontmostAppSource *>(SystemSources::frontmostApp().get()), nullptr);
    EXPECT_NE(dynamic_cast<NullRunningAppsSource *>(SystemSources::runningApps().get()), nullptr);
}

TEST(SystemSources, TheKeyboardIsNotListenedForWhereNoBackendCouldEverStart) {
    TempDir devices;
    struct Case {
        bool deviceFolder;
        const char *display;
        const char *waylandDisplay;
        bool listens;
    };
    const Case cases[] = {
        {true, nullptr, nullptr, true},     // evdev, once the user may read the devices
        {true, nullptr, "wayland-0", true}, // the same on Wayland
        {false, ":0", nullptr, true},       // XInput 2, once the X server answers
        {false, ":0", "wayland-0", false},  // Xwayland would hear only X clients
        {false, nullptr, nullptr, false},   // no devices, no display
        {false, "", nullptr, false},
    };
    for (const auto &c : cases) {
        ScopedEnv display("DISPLAY", c.display);
        ScopedEnv waylandDisplay("WAYLAND_DISPLAY", c.waylandDisplay);
        ScopedEnv sessionType("XDG_SESSION_TYPE", nullptr);
        LinuxKeyboardMonitor::Options options;
        options.deviceFolder = c.deviceFolder ? devices.path().string() : (devices.path() / "missing").string();
        auto monitor = SystemSources::keyboardMonitor(options);
        EXPECT_EQ(dynamic_cast<LinuxKeyboardMonitor *>(monitor.get()) != nullptr, c.listens)
            << c.deviceFolder << " " << (c.display ? c.display : "-") << " "
            << (c.waylandDisplay ? c.waylandDisplay : "-");
        EXPECT_EQ(dynamic_cast<NullKeyboardMonitor *>(monitor.get()) != nullptr, !c.listens);
        EXPECT_FALSE(monitor->isRunning());
    }
}

TEST(SystemSources, ABackendThatCannotBeMadeLeavesItsNullImplementation) {
    struct Silent final : OutputVolume {
        bool isSilent() const override { return true; }
    };
    auto made = SystemSources::orNull<OutputVolume, NullOutputVolume>([] { return std::make_unique<Silent>(); });
    EXPECT_NE(dynamic_cast<Silent *>(made.get()), nullptr);
    auto failed = SystemSources::orNull<OutputVolume, NullOutputVolume>(
        []() -> std::unique_ptr<OutputVolume> { throw std::runtime_error("cannot create a PulseAudio main loop"); });
    EXPECT_NE(dynamic_cast<NullOutputVolume *>(failed.get()), nullptr);
    EXPECT_FALSE(failed->isSilent());
}

TEST(SystemSources, OnAWaylandSessionXwaylandsActiveWindowIsNotTakenForTheFrontmostApplication) {
    // The rig's X server stands for Xwayland: it answers on $DISPLAY and has an active window of an X client.
    RigX x(RigX::Options{.windowManager = true});
    Display *client = XOpenDisplay(x.display().c_str());
    ASSERT_NE(client, nullptr);
    auto makeWindow = [&](const char *className) {
        Window window = XCreateSimpleWindow(client, DefaultRootWindow(client), 10, 10, 200, 100, 0, 0, 0);
        XClassHint hint{const_cast<char *>("probe"), const_cast<char *>(className)};
        XSetClassHint(client, window, &hint);
        XMapWindow(client, window);
        XSync(client, False);
        return window;
    };
    auto activate = [](Window window) {
        runCommand("xdotool windowactivate --sync " + std::to_string(window) + " >/dev/null 2>&1");
    };
    std::string active = "XwaylandFirst";
    activate(makeWindow(active.c_str()));

    for (const char *variable : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        ScopedEnv waylandDisplay("WAYLAND_DISPLAY", std::string(variable) == "WAYLAND_DISPLAY" ? "wayland-0" : nullptr);
        ScopedEnv sessionType("XDG_SESSION_TYPE", std::string(variable) == "XDG_SESSION_TYPE" ? "wayland" : "x11");
        auto session = SystemSources::frontmostApp();
        FrontmostReports sessionReports;
        session->start(sessionReports.handler());

        // A listener on the same X server sees what Xwayland reports; once it has seen an activation, the
        // session's source would have seen it too.
        auto xwayland = X11FrontmostAppSource::open(x.display(), DesktopEntries({}, {}));
        ASSERT_NE(xwayland, nullptr);
        FrontmostReports xwaylandReports;
        xwayland->start(xwaylandReports.handler());
        ASSERT_TRUE(xwaylandReports.waitFor(active)) << variable;
        active = std::string("XwaylandLater") + variable;
        activate(makeWindow(active.c_str()));
        ASSERT_TRUE(xwaylandReports.waitFor(active)) << variable;

        EXPECT_TRUE(sessionReports.all().empty()) << variable << ": " << sessionReports.all().front().bundleId;
        xwayland.reset();
        session.reset();
    }
    XCloseDisplay(client);
}
