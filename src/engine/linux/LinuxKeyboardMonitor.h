#pragma once

#include "engine/KeyboardMonitor.h"

#include <memory>
#include <string>

namespace tc {

// The keyboard monitor the program runs on Linux. It picks its backend each time start() is tried:
// 1. evdev (EvdevKeyboardMonitor) when at least one keyboard device can be read (the "input" group);
// 2. else XInput 2 (XInput2KeyboardMonitor) on an X11 session whose display can be opened;
// 3. else nothing: start() returns false. That is a Wayland session without keyboard access, where an X
//    display (XWayland) would only hear X clients, or a system without any display.
// The owner retries start() until it succeeds, so a user who joins the input group is heard from then on.
//
// Threads: as KeyboardMonitor; the chosen backend's thread is "Tapchime.kbd".
class LinuxKeyboardMonitor final : public KeyboardMonitor {
public:
    enum class Backend { none, evdev, xinput2 };

    struct Options {
        std::string deviceFolder = "/dev/input";
        std::string displayName; // empty: $DISPLAY
    };

    LinuxKeyboardMonitor();
    explicit LinuxKeyboardMonitor(Options options);
    ~LinuxKeyboardMonitor() override;
    LinuxKeyboardMonitor(const LinuxKeyboardMonitor &) = delete;
    LinuxKeyboardMonitor &operator=(const LinuxKeyboardMonitor &) = delete;

    void setHandler(Handler handler) override;
    bool start() override;
    bool isRunning() const override { return backend_ != nullptr; }

    // The backend start() chose; none until it succeeds.
    Backend backend() const { return kind_; }

private:
    Options options_;
    Handler handler_;
    std::unique_ptr<KeyboardMonitor> backend_;
    Backend kind_ = Backend::none;
};

} // namespace tc
