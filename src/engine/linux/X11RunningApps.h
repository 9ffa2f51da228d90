#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/linux/DesktopEntries.h"

#include <string>
#include <vector>

namespace tc {

// The applications that have windows open on an X11 session, as the screens list them for rules and triggers:
// the window manager's _NET_CLIENT_LIST in its order, keeping the normal and dialog windows that show in the
// task bar, each named by DesktopEntries (the one resolver), one entry per application. Windows of this
// process (_NET_WM_PID) are left out.
//
// Thread: any; one short-lived connection per call (a few round trips). On a native Wayland session or
// without a window manager that keeps _NET_CLIENT_LIST the list is empty.
class X11RunningApps {
public:
    // `display` empty: $DISPLAY.
    static std::vector<AppIdentity> list(const DesktopEntries &entries, const std::string &display = {});
};

} // namespace tc
