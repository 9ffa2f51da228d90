#pragma once

#include "engine/FrontmostAppSource.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// What an X11 window says about the application that owns it.
struct WindowHints {
    std::string gtkApplicationId; // _GTK_APPLICATION_ID
    std::string kdeDesktopFile;   // _KDE_NET_WM_DESKTOP_FILE (an id, or a path to the file)
    std::string wmInstance;       // WM_CLASS instance part
    std::string wmClass;          // WM_CLASS class part
};

// Lists the applications that have windows open now, as the screens offer them for rules and triggers: in
// the system's order, one entry per application, named by the caller's catalogue of installed applications (the
// one resolver, so that the windows are named from the same read as the installed list); this program is never
// listed. Empty where the session cannot be asked.
//
// Thread: one thread at a time (the program's own asks on the background service's desktop lane, where the
// catalogue lives); each call asks the system afresh (a few round trips, no waiting on a server that does not
// answer).
class RunningAppsSource {
public:
    // Names a window's application; nothing when the window says too little.
    using Namer = std::function<std::optional<AppIdentity>(const WindowHints &)>;

    virtual ~RunningAppsSource() = default;
    virtual std::vector<AppIdentity> list(const Namer &name) = 0;
};

// The list where nothing can be known (a Wayland session, no display).
class NullRunningAppsSource final : public RunningAppsSource {
public:
    std::vector<AppIdentity> list(const Namer &) override { return {}; }
};

} // namespace tc
