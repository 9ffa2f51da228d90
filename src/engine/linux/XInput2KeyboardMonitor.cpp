#include "engine/linux/XInput2KeyboardMonitor.h"

#include "engine/linux/RealtimeScheduling.h"
#include "engine/linux/ThreadName.h"
#include "engine/linux/XConnectionLoss.h"

#include <X11/XKBlib.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cerrno>
#include <poll.h>

namespace tc {

namespace {

constexpr int kXKeycodeOffset = 8; // X11 key codes are Linux key codes plus 8

} // namespace

void XInput2KeyboardMonitor::DisplayCloser::operator()(_XDisplay *display) const {
    XCloseDisplay(display);
}

XInput2KeyboardMonitor::XInput2KeyboardMonitor(std::string displayName) : displayName_(std::move(displayName)) {}

XInput2KeyboardMonitor::~XInput2KeyboardMonitor() {
    stop();
}

void XInput2KeyboardMonitor::setHandler(Handler handler) {
    slot_.set(std::move(handler));
}

bool XInput2KeyboardMonitor::start() {
    if (running_) {
        return true;
    }
    if (thread_.wakeFd() < 0) {
        return false;
    }
    std::unique_ptr<_XDisplay, DisplayCloser> display(
        XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str()));
    if (!display) {
        return false;
    }
    Display *d = display.get();
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &firstEvent, &firstError)) {
        return false;
    }
    // The version a client announces decides how the server treats it: raw events during another client's
    // grab are delivered only to clients of 2.1 or later.
    int major = 2, minor = 2;
    if (XIQueryVersion(d, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    if (XISelectEvents(d, DefaultRootWindow(d), &mask, 1) != Success) {
        return false;
    }

    // Keymap changes, and layout switches made by the desktop rather than by a key.
    int xkbOpcode = 0, xkbEvent = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    xkbEventBase_ = -1;
    if (XkbQueryExtension(d, &xkbOpcode, &xkbEvent, &xkbError, &xkbMajor, &xkbMinor)) {
        xkbEventBase_ = xkbEvent;
        const unsigned long keymapEvents = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(d, XkbUseCoreKbd, keymapEvents, keymapEvents);
        XkbSelectEventDetails(d, XkbUseCoreKbd, XkbStateNotify, XkbGroupLockMask, XkbGroupLockMask);
    }
    xinputOpcode_ = opcode;
    xkbReady_ =
        xkb_x11_setup_xkb_extension(XGetXCBConnection(d), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr);
    display_ = std::move(display);
    lost_ = false;
    // When the server goes away, the call that notices returns here instead of ending the process.
    XConnectionLoss::adopt(d, &lost_);
    reloadKeymap();
    XSync(d, False);

    thread_.start(kKeyboardThreadName, [this] { run(); });
    running_ = true;
    return true;
}

void XInput2KeyboardMonitor::stop() {
    thread_.stop();
    stream_.setText(nullptr);
    if (display_) {
        XConnectionLoss::forget(display_.get());
    }
    if (lost_) {
        // Xlib leaves a lost connection locked by the thread that saw the loss: closing it would wait for ever.
        // It is let go instead (the program ends once its X server is gone).
        [[maybe_unused]] _XDisplay *lost = display_.release();
    }
    display_.reset();
    running_ = false;
}

void XInput2KeyboardMonitor::reloadKeymap() {
    if (!xkbReady_) {
        return;
    }
    // Keeps the old layout when the server does not answer; events then still carry some text.
    if (std::unique_ptr<XkbKeyText> text = XkbKeyText::fromX11(XGetXCBConnection(display_.get()), stream_.text())) {
        stream_.setText(std::move(text));
    }
}

void XInput2KeyboardMonitor::run() {
    // Every key press starts here: on a busy machine the thread must not wait for a turn on a core.
    RealtimeScheduling::raiseCurrentThread(RealtimeScheduling::kKeyboardPriority);
    Display *d = display_.get();
    pollfd fds[] = {{thread_.wakeFd(), POLLIN, 0}, {ConnectionNumber(d), POLLIN | POLLRDHUP, 0}};
    while (!thread_.stopRequested()) {
        // XPending reads whatever the socket holds; events may also already wait in Xlib's queue.
        while (!lost_ && XPending(d) > 0 && !thread_.stopRequested()) {
            XEvent event;
            XNextEvent(d, &event);
            handle(event);
        }
        if (lost_) {
            return; // the server is gone; the main thread has been told and ends the program
        }
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if ((fds[0].revents & POLLIN) && thread_.takeWake()) {
            return;
        }
        if (fds[1].revents & (POLLHUP | POLLRDHUP | POLLERR)) {
            // The server hung up: the thread ends before Xlib trips over the closed connection (whose recovery
            // path the handler of XConnectionLoss covers when it does).
            lost_ = true;
            XConnectionLoss::report();
            return;
        }
    }
}

void XInput2KeyboardMonitor::handle(XEvent &event) {
    Display *d = display_.get();
    XGenericEventCookie *cookie = &event.xcookie;
    if (cookie->type == GenericEvent && cookie->extension == xinputOpcode_) {
        if (!XGetEventData(d, cookie)) {
            return;
        }
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
            const int code = raw->detail - kXKeycodeOffset;
            if (code >= 0 && code < static_cast<int>(KeyEventBuilder::kKeyCount)) {
                // A press of a key that is already down is a repeat; KeyStream tells them apart.
                const int value = cookie->evtype == XI_RawKeyRelease ? 0 : (raw->flags & XIKeyRepeat) ? 2 : 1;
                stream_.key(static_cast<std::uint16_t>(code), value);
            }
        }
        XFreeEventData(d, cookie);
    } else if (xkbEventBase_ >= 0 && event.type == xkbEventBase_) {
        const auto &xkb = reinterpret_cast<const XkbEvent &>(event);
        if (xkb.any.xkb_type == XkbNewKeyboardNotify || xkb.any.xkb_type == XkbMapNotify) {
            reloadKeymap();
        } else if (xkb.any.xkb_type == XkbStateNotify && stream_.text()) {
            stream_.text()->setLockedGroup(static_cast<std::uint32_t>(xkb.state.locked_group));
        }
    }
}

} // namespace tc
