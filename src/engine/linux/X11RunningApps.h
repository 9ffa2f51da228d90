#pragma once

#include "engine/RunningAppsSource.h"

#include <memory>
#include <string>
#include <vector>

namespace tc {

// The applications that have windows open on an X11 session, as the screens list them for rules and triggers:
// the window manager's _NET_CLIENT_LIST in its order, keeping the normal and dialog windows that show in the
// task bar, each named by the caller's namer (DesktopEntries::resolve over the one catalogue), one entry per
// application. Windows of this process (_NET_WM_PID) are left out.
//
// Thread: as RunningAppsSource. One connection for the object's life, opened at the first list() on the thread
// that lists (so it is never shared between threads) and opened again after the server dropped it. Without an X
// server or a window manager that keeps _NET_CLIENT_LIST the list is empty.
class X11RunningApps final : public RunningAppsSource {
public:
    // `display` empty: $DISPLAY.
    explicit X11RunningApps(std::string display = {});
    ~X11RunningApps() override;

    std::vector<AppIdentity> list(const Namer &name) override;
    // How many connections were opened so far (for tests).
    int connectionsOpened() const { return opened_; }

private:
    struct Server;
    std::string display_;
    std::unique_ptr<Server> server_;
    int opened_ = 0;
};

} // namespace tc
