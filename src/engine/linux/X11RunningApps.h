#pragma once

#include "engine/RunningAppsSource.h"
#include "engine/linux/DesktopEntries.h"

#include <optional>
#include <string>
#include <vector>

namespace tc {

// The applications that have windows open on an X11 session, as the screens list them for rules and triggers:
// the window manager's _NET_CLIENT_LIST in its order, keeping the normal and dialog windows that show in the
// task bar, each named by DesktopEntries (the one resolver), one entry per application. Windows of this
// process (_NET_WM_PID) are left out.
//
// Thread: as RunningAppsSource; one short-lived connection per call. Without an X server or a window manager
// that keeps _NET_CLIENT_LIST the list is empty.
class X11RunningApps final : public RunningAppsSource {
public:
    // `display` empty: $DISPLAY. The installed applications are read at the first list() and looked at for
    // changes at every later one.
    explicit X11RunningApps(std::string display = {});
    // The same, naming windows from the given entries.
    X11RunningApps(std::string display, DesktopEntries entries);

    std::vector<AppIdentity> list() override;

private:
    std::string display_;
    std::optional<DesktopEntries> entries_;
};

} // namespace tc
