#include "engine/linux/X11RunningApps.h"

#include "engine/linux/XcbProperties.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>
#include <xcb/xcb.h>

namespace tc {

namespace {

using xcb::internAtom;
using xcb::untilNul;

constexpr uint32_t kMaxClientWords = 4096; // windows in the client list

bool contains(const std::vector<uint32_t> &values, xcb_atom_t atom) {
    return atom != XCB_ATOM_NONE && std::find(values.begin(), values.end(), atom) != values.end();
}

} // namespace

X11RunningApps::X11RunningApps(std::string display) : display_(std::move(display)) {}

X11RunningApps::X11RunningApps(std::string display, DesktopEntries entries)
    : display_(std::move(display)), entries_(std::move(entries)) {}

std::vector<AppIdentity> X11RunningApps::list() {
    const char *name = display_.empty() ? std::getenv("DISPLAY") : display_.c_str();
    if (!name || !*name) {
        return {};
    }
    int screenNumber = 0;
    xcb::Connection connection(xcb_connect(name, &screenNumber));
    if (!connection || xcb_connection_has_error(connection.get())) {
        return {};
    }
    xcb_connection_t *c = connection.get();
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem <= 0 || !screens.data) {
        return {};
    }
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t clientList = internAtom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t windowType = internAtom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t typeNormal = internAtom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
    const xcb_atom_t typeDialog = internAtom(c, "_NET_WM_WINDOW_TYPE_DIALOG");
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t wmPid = internAtom(c, "_NET_WM_PID");
    const xcb_atom_t gtkApplicationId = internAtom(c, "_GTK_APPLICATION_ID");
    const xcb_atom_t kdeDesktopFile = internAtom(c, "_KDE_NET_WM_DESKTOP_FILE");
    if (clientList == XCB_ATOM_NONE) {
        return {};
    }

    xcb::PropertyReader reader(c);
    const std::vector<uint32_t> windows = reader.words(reader.ask(root, clientList, kMaxClientWords));

    // Ask for every window's properties first, then read the answers: one round trip for the whole list.
    struct Pending {
        xcb_get_property_cookie_t type, state, pid, gtk, kde, wmClass;
    };
    std::vector<Pending> pending;
    pending.reserve(windows.size());
    for (uint32_t window : windows) {
        pending.push_back({reader.ask(window, windowType), reader.ask(window, state), reader.ask(window, wmPid),
                           reader.ask(window, gtkApplicationId), reader.ask(window, kdeDesktopFile),
                           reader.ask(window, XCB_ATOM_WM_CLASS)});
    }

    if (entries_) {
        entries_->refreshIfChanged(); // a few stat() calls; picks up applications installed since
    } else {
        entries_.emplace();
    }
    const DesktopEntries &entries = *entries_;
    std::vector<AppIdentity> apps;
    for (Pending &p : pending) {
        const std::vector<uint32_t> types = reader.words(p.type);
        const std::vector<uint32_t> states = reader.words(p.state);
        const std::vector<uint32_t> pid = reader.words(p.pid);
        WindowHints hints;
        hints.gtkApplicationId = untilNul(reader.text(p.gtk));
        hints.kdeDesktopFile = untilNul(reader.text(p.kde));
        const std::string wmClass = reader.text(p.wmClass); // "instance\0class\0"
        hints.wmInstance = untilNul(wmClass);
        hints.wmClass = untilNul(wmClass, hints.wmInstance.size() + 1);

        // Docks, desktops, menus, tool palettes and windows kept off the task bar are not applications the
        // user switches to. A window without a type counts as normal.
        if (!types.empty() && !contains(types, typeNormal) && !contains(types, typeDialog)) {
            continue;
        }
        if (contains(states, skipTaskbar)) {
            continue;
        }
        if (!pid.empty() && static_cast<pid_t>(pid.front()) == getpid()) {
            continue;
        }
        const std::optional<AppIdentity> app = entries.resolve(hints);
        if (!app || app->bundleId.empty()) {
            continue;
        }
        const bool seen =
            std::any_of(apps.begin(), apps.end(), [&](const AppIdentity &a) { return a.bundleId == app->bundleId; });
        if (!seen) {
            apps.push_back(*app);
        }
    }
    return apps;
}

} // namespace tc
