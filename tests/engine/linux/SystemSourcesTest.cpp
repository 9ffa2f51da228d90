// The session decides which backends run; a backend that cannot be made leaves its null implementation.

#include "engine/linux/SystemSources.h"
#include "engine/NullKeyboardMonitor.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/X11FrontmostAppSource.h"
#include "engine/linux/X11RunningApps.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tc;
using namespace tc::test;

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
