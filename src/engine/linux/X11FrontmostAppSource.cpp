#include "engine/linux/X11FrontmostAppSource.h"

#include "engine/linux/ThreadName.h"
#include "engine/linux/XcbProperties.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

// The active window is read with XCB rather than Xlib: XCB reports a vanished window as a per-request error,
// where Xlib would call the process-wide error handler (whose default ends the program).

namespace tc {

namespace {

using xcb::internAtom;
using xcb::untilNul;

// A file descriptor closed on destruction.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

struct X11FrontmostAppSource::Impl {
    xcb::Connection connection;
    xcb::PropertyReader properties{nullptr};
    xcb_window_t root = 0;
    xcb_atom_t activeWindow = 0, wmPid = 0, gtkApplicationId = 0, kdeDesktopFile = 0;
    std::optional<DesktopEntries> entries; // read on the source's thread when not given
    Handler handler;
    Fd wake{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    std::thread thread;

    Impl(xcb::Connection c, xcb_window_t r, std::optional<DesktopEntries> e)
        : connection(std::move(c)), properties(connection.get()), root(r), entries(std::move(e)) {
        auto *conn = connection.get();
        activeWindow = internAtom(conn, "_NET_ACTIVE_WINDOW");
        wmPid = internAtom(conn, "_NET_WM_PID");
        gtkApplicationId = internAtom(conn, "_GTK_APPLICATION_ID");
        kdeDesktopFile = internAtom(conn, "_KDE_NET_WM_DESKTOP_FILE");
    }

    ~Impl() {
        if (thread.joinable()) {
            const uint64_t one = 1;
            [[maybe_unused]] auto written = write(wake.get(), &one, sizeof one);
            thread.join();
        }
    }

    void reportActiveWindow() {
        auto window = properties.cardinal(properties.ask(root, activeWindow));
        if (!window || *window == XCB_WINDOW_NONE) {
            return;
        }
        // One round trip for all of the window's properties.
        auto pidCookie = properties.ask(*window, wmPid);
        auto gtkCookie = properties.ask(*window, gtkApplicationId);
        auto kdeCookie = properties.ask(*window, kdeDesktopFile);
        auto classCookie = properties.ask(*window, XCB_ATOM_WM_CLASS);
        auto pid = properties.cardinal(pidCookie);
        WindowHints hints;
        hints.gtkApplicationId = untilNul(properties.text(gtkCookie));
        hints.kdeDesktopFile = untilNul(properties.text(kdeCookie));
        const auto wmClass = properties.text(classCookie); // "instance\0class\0"
        hints.wmInstance = untilNul(wmClass);
        hints.wmClass = untilNul(wmClass, hints.wmInstance.size() + 1);
        if (pid && static_cast<pid_t>(*pid) == getpid()) {
            return; // a window of this program
        }
        entries->refreshIfChanged(); // a few stat() calls; picks up applications installed since
        if (auto app = entries->resolve(hints)) {
            handler(*app);
        }
    }

    void run() {
        nameCurrentThread("Tapchime.app");
        auto *conn = connection.get();
        if (!entries) {
            entries.emplace(); // reading every applications folder takes milliseconds: not on the caller's thread
        }
        reportActiveWindow();
        std::array<pollfd, 2> fds{pollfd{xcb_get_file_descriptor(conn), POLLIN, 0}, pollfd{wake.get(), POLLIN, 0}};
        for (;;) {
            while (auto *event = xcb_poll_for_event(conn)) {
                xcb::Reply<xcb_generic_event_t> owned(event);
                if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                    auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
                    if (notify->window == root && notify->atom == activeWindow) {
                        reportActiveWindow();
                    }
                }
            }
            if (xcb_connection_has_error(conn)) {
                return; // the X server went away: nothing more to report
            }
            if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
                return;
            }
            if (fds[1].revents & POLLIN) {
                return;
            }
        }
    }
};

std::unique_ptr<X11FrontmostAppSource> X11FrontmostAppSource::open(const std::string &display) {
    auto *dpy = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    if (!dpy || !*dpy) {
        return nullptr; // no X server named: nothing to connect to, and no entries worth reading
    }
    return openWith(display, std::nullopt);
}

std::unique_ptr<X11FrontmostAppSource> X11FrontmostAppSource::open(const std::string &display, DesktopEntries entries) {
    return openWith(display, std::move(entries));
}

std::unique_ptr<X11FrontmostAppSource> X11FrontmostAppSource::openWith(const std::string &display,
                                                                       std::optional<DesktopEntries> entries) {
    int screenNumber = 0;
    xcb::Connection connection(xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber));
    if (!connection || xcb_connection_has_error(connection.get())) {
        return nullptr;
    }
    auto iterator = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && iterator.rem > 0; ++i) {
        xcb_screen_next(&iterator);
    }
    if (iterator.rem <= 0 || !iterator.data) {
        return nullptr;
    }
    const auto root = iterator.data->root;
    auto impl = std::make_unique<Impl>(std::move(connection), root, std::move(entries));
    if (impl->wake.get() < 0 || impl->activeWindow == XCB_ATOM_NONE) {
        return nullptr;
    }
    return std::unique_ptr<X11FrontmostAppSource>(new X11FrontmostAppSource(std::move(impl)));
}

X11FrontmostAppSource::X11FrontmostAppSource(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

X11FrontmostAppSource::~X11FrontmostAppSource() = default;

void X11FrontmostAppSource::start(Handler handler) {
    if (impl_->thread.joinable()) {
        return;
    }
    impl_->handler = std::move(handler);
    // Only this connection's selection on the root window: other clients' masks are their own.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(impl_->connection.get(), impl_->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(impl_->connection.get());
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

} // namespace tc
