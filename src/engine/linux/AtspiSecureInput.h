#pragma once

#include "engine/SecureInputSource.h"

#include <memory>

namespace tc {

// Secure input on a Linux desktop, best effort: on while the focused accessible object (AT-SPI) is a password
// field, or while the session's screen saver says it is active (org.freedesktop.ScreenSaver, else
// org.gnome.ScreenSaver). Runs on its own thread ("Tapchime.sec") with its own GLib main context; every bus
// call has a short timeout, and without a session or accessibility bus it stays off. Listens only; it never
// grabs the keyboard. Applications expose their password fields only when their toolkit talks to the
// accessibility bus (GTK does; Qt and Chromium only when accessibility is switched on).
class AtspiSecureInput final : public SecureInputSource {
public:
    AtspiSecureInput();
    ~AtspiSecureInput() override;
    bool secureInputOn() const override;

    bool passwordFocused() const;
    bool screenLocked() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace tc
