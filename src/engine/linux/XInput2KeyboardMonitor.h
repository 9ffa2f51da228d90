#pragma once

#include "engine/KeyHandlerSlot.h"
#include "engine/KeyboardMonitor.h"
#include "engine/linux/KeyStream.h"
#include "engine/linux/WakeableThread.h"

#include <atomic>
#include <memory>
#include <string>

struct _XDisplay;
union _XEvent;

namespace tc {

// Hears the keyboard of an X11 session through XInput 2.1 raw key events (XI_RawKeyPress and
// XI_RawKeyRelease) selected on the root window. Raw events reach every client that asks, whichever window
// has the focus and even while another client holds a keyboard grab (from XInput 2.1 on, which is why it
// announces 2.2 and refuses a server below 2.1). It never grabs anything. Typed text comes from the
// server's keymap through xkbcommon, reloaded when the server reports a new keymap or layout group.
//
// It uses a Display connection of its own: start() opens it on the owner's thread, after which only the
// monitor's thread "Tapchime.kbd" touches it, reading events with poll() and calling the handler. When the X
// server goes away the thread ends quietly (with XConnectionLoss installed; see there).
class XInput2KeyboardMonitor final : public KeyboardMonitor {
public:
    // displayName: an X display such as ":0"; empty means $DISPLAY.
    explicit XInput2KeyboardMonitor(std::string displayName = {});
    ~XInput2KeyboardMonitor() override;
    XInput2KeyboardMonitor(const XInput2KeyboardMonitor &) = delete;
    XInput2KeyboardMonitor &operator=(const XInput2KeyboardMonitor &) = delete;

    void setHandler(Handler handler) override;
    // False when the display cannot be opened or lacks XInput 2.1.
    bool start() override;
    bool isRunning() const override { return running_; }
    // Ends the thread and closes the connection. No handler call happens after it returns.
    void stop();

private:
    struct DisplayCloser {
        void operator()(_XDisplay *display) const;
    };

    void run();
    void handle(_XEvent &event);
    void reloadKeymap();

    std::string displayName_;
    KeyHandlerSlot slot_;
    KeyStream stream_{slot_};
    bool running_ = false;

    std::unique_ptr<_XDisplay, DisplayCloser> display_;
    int xinputOpcode_ = -1;
    bool xkbReady_ = false;         // xkbcommon can read the server's keymap; without it events carry no text
    int xkbEventBase_ = -1;         // -1 without the XKB extension: the text then stays as first loaded
    std::atomic<bool> lost_{false}; // the X server went away (set by Xlib's exit handler on the monitor's thread)
    WakeableThread thread_;
};

} // namespace tc
