// What counts as a Wayland session, for the keyboard monitor, the system sources and the keyboard-access help.

#include "engine/linux/WaylandSession.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;

TEST(WaylandSession, IsRecognisedFromEitherVariable) {
    struct Case {
        const char *waylandDisplay;
        const char *sessionType;
        bool wayland;
    };
    const Case cases[] = {
        {nullptr, nullptr, false},    {nullptr, "x11", false},    {"", "tty", false},
        {"wayland-0", nullptr, true}, {nullptr, "wayland", true}, {"wayland-1", "x11", true},
    };
    for (const auto &c : cases) {
        ScopedEnv display("WAYLAND_DISPLAY", c.waylandDisplay);
        ScopedEnv session("XDG_SESSION_TYPE", c.sessionType);
        EXPECT_EQ(isWaylandSession(), c.wayland)
            << (c.waylandDisplay ? c.waylandDisplay : "-") << " " << (c.sessionType ? c.sessionType : "-");
    }
}
