#pragma once

#include "engine/SecureInputSource.h"

#include <memory>

namespace tc {

// Secure input on a Linux desktop, best effort: on while the focused accessible object is a password field
// (AT-SPI: the role of the object an "object:state-changed:focused" event names), or while the session's
// screen saver says it is active (org.freedesktop.ScreenSaver, else org.gnome.ScreenSaver).
//
// Runs on its own thread ("Tapchime.sec") with its own private connections to the session bus and the
// accessibility bus, speaking the AT-SPI protocol directly: libatspi keeps process-wide state tied to GLib's
// default main context, which Qt's main thread runs, so it cannot be used from a thread of its own. Every bus
// call has a timeout of at most 2 s; without a session or accessibility bus the source stays off and tries
// again every 10 s. Never starts a screen saver, never grabs the keyboard. Applications expose their
// password fields only when their toolkit talks to the accessibility bus: GTK does; Qt and Chromium-based
// programs only when accessibility is switched on for them.
class AtspiSecureInput final : public SecureInputSource {
public:
    AtspiSecureInput();
    ~AtspiSecureInput() override;
    bool secureInputOn() const override;

    bool passwordFocused() const;
    bool screenLocked() const;
    // Whether it listens on the accessibility bus (for tests and diagnostics).
    bool listening() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tc
