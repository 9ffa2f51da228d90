// The session decides which frontmost-application source runs.

#include "engine/linux/SystemSources.h"
#include "engine/SystemWatchers.h"
#include "engine/linux/X11FrontmostAppSource.h"
#include "support/Rig.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;

namespace {

void setOrUnset(const char *name, const char *value) {
    value ? (void)setenv(name, value, 1) : (void)unsetenv(name);
}

} // namespace

TEST(SystemSources, FrontmostApplicationIsKnownOnlyOnX11Sessions) {
    RigX x;
    struct Case {
        const char *waylandDisplay, *sessionType;
        bool wayland;
    };
    for (const auto &c : std::vector<Case>{{nullptr, nullptr, false},
                                           {nullptr, "x11", false},
                                           {"wayland-0", nullptr, true},
                                           {nullptr, "wayland", true},
                                           {"", "tty", false}}) {
        setOrUnset("WAYLAND_DISPLAY", c.waylandDisplay);
        setOrUnset("XDG_SESSION_TYPE", c.sessionType);
        EXPECT_EQ(SystemSources::isWaylandSession(), c.wayland) << c.waylandDisplay << " " << c.sessionType;
        auto source = SystemSources::frontmostApp();
        EXPECT_EQ(dynamic_cast<X11FrontmostAppSource *>(source.get()) != nullptr, !c.wayland);
    }
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("XDG_SESSION_TYPE");
    unsetenv("DISPLAY");
    EXPECT_NE(dynamic_cast<NullFrontmostAppSource *>(SystemSources::frontmostApp().get()), nullptr);
}
