#include "engine/linux/X11FrontmostAppSource.h"
#include "engine/linux/ThreadName.h"

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

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

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

constexpr uint32_t kMaxPropertyWords = 1024; // 4 KiB: far more than any id or class name

xcb_atom_t internAtom(xcb_connection_t *c, const char *name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

} // namespace

struct X11FrontmostAppSource::Impl {
    Connection connection;
    xcb_window_t root = 0;
    xcb_atom_t activeWindow = 0, wmPid = 0, gtkApplicationId = 0, kdeDesktopFile = 0;
    std::optional<DesktopEntries> entries; // read on the source's thread when not given
    Handler handler;
    Fd wake{eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    std::thread thread;

    Impl(Connection c, xcb_window_t r, std::optional<DesktopEntries> e)
        : connection(std::move(c)), root(r), entries(std::move(e)) {
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

    xcb_get_property_cookie_t ask(xcb_window_t window, xcb_atom_t property) {
        return xcb_get_property(connection.get(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyWords);
    }

    // The property's bytes; empty when the window or the property is gone. Any type is accepted: window
    // managers and toolkits differ in the types they set.
    std::string text(xcb_get_property_cookie_t cookie) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection.get(), cookie, nullptr));
        if (!reply || reply->format != 8) {
            return {};
        }
        const auto *bytes = static_cast<const char *>(xcb_get_property_value(reply.get()));
        return std::string(bytes, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    }

    std::optional<uint32_t> cardinal(xcb_get_property_cookie_t cookie) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection.get(), cookie, nullptr));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
            return std::nullopt;
        }
        return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    }

    static std::string untilNul(const std::string &text, size_t from = 0) {
        if (from >= text.size()) {
            return {};
        }
        auto end = text.find('\0', from);
        return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    }

    void reportActiveWindow() {
        auto window = cardinal(ask(root, activeWindow));
        if (!window || *window == XCB_WINDOW_NONE) {
            return;
        }
        // One round trip for all of the window's properties.
        auto pidCookie = ask(*window, wmPid);
        auto gtkCookie = ask(*window, gtkApplicationId);
        auto kdeCookie = ask(*window, kdeDesktopFile);
        auto classCookie = ask(*window, XCB_ATOM_WM_CLASS);
        auto pid = cardinal(pidCookie);
        WindowHints hints;
        hints.gtkApplicationId = untilNul(text(gtkCookie));
        hints.kdeDesktopFile = untilNul(text(kdeCookie));
        const auto wmClass = text(classCookie); // "instance\0class\0"
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
                XcbReply<xcb_generic_event_t> owned(event);
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
    Connection connection(xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber));
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
