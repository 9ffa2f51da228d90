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

// The connection and the atoms it interned, kept between lists.
struct X11RunningApps::Server {
    xcb::Connection connection;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t clientList = XCB_ATOM_NONE, windowType = XCB_ATOM_NONE, typeNormal = XCB_ATOM_NONE,
               typeDialog = XCB_ATOM_NONE, state = XCB_ATOM_NONE, skipTaskbar = XCB_ATOM_NONE, wmPid = XCB_ATOM_NONE,
               gtkApplicationId = XCB_ATOM_NONE, kdeDesktopFile = XCB_ATOM_NONE;

    static std::unique_ptr<Server> open(const char *name) {
        int screenNumber = 0;
        auto server = std::make_unique<Server>();
        server->connection.reset(xcb_connect(name, &screenNumber));
        if (!server->connection || xcb_connection_has_error(server->connection.get())) {
            return nullptr;
        }
        xcb_connection_t *c = server->connection.get();
        auto screens = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
            xcb_screen_next(&screens);
        }
        if (screens.rem <= 0 || !screens.data) {
            return nullptr;
        }
        server->root = screens.data->root;
        server->clientList = internAtom(c, "_NET_CLIENT_LIST");
        server->windowType = internAtom(c, "_NET_WM_WINDOW_TYPE");
        server->typeNormal = internAtom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
        server->typeDialog = internAtom(c, "_NET_WM_WINDOW_TYPE_DIALOG");
        server->state = internAtom(c, "_NET_WM_STATE");
        server->skipTaskbar = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
        server->wmPid = internAtom(c, "_NET_WM_PID");
        server->gtkApplicationId = internAtom(c, "_GTK_APPLICATION_ID");
        server->kdeDesktopFile = internAtom(c, "_KDE_NET_WM_DESKTOP_FILE");
        return server;
    }
};

X11RunningApps::X11RunningApps(std::string display) : display_(std::move(display)) {}

X11RunningApps::~X11RunningApps() = default;

std::vector<AppIdentity> X11RunningApps::list(const Namer &name) {
    if (server_ && xcb_connection_has_error(server_->connection.get())) {
        server_.reset(); // the server went away or dropped us: the next list opens a new connection
    }
    if (!server_) {
        const char *displayName = display_.empty() ? std::getenv("DISPLAY") : display_.c_str();
        if (!displayName || !*displayName) {
            return {};
        }
        server_ = Server::open(displayName);
        if (!server_) {
            return {};
        }
        ++opened_;
    }
    const Server &s = *server_;
    xcb_connection_t *c = s.connection.get();
    const xcb_window_t root = s.root;
    const xcb_atom_t clientList = s.clientList, windowType = s.windowType, typeNormal = s.typeNormal,
                     typeDialog = s.typeDialog, state = s.state, skipTaskbar = s.skipTaskbar, wmPid = s.wmPid,
                     gtkApplicationId = s.gtkApplicationId, kdeDesktopFile = s.kdeDesktopFile;
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
        const std::optional<AppIdentity> app = name ? name(hints) : std::nullopt;
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
