#pragma once

#include "engine/KeyEvent.h"

#include <functional>

namespace tc {

// The program's only view of the keyboard: a listen-only, session-wide watcher that sees every key down,
// key up and modifier change in every application and hands each one, as a KeyEvent, to one handler.
// It never grabs a keyboard and never alters or swallows an event.
//
// Threads: the owner (the application model) calls setHandler(), start() and isRunning() on the main
// thread. Events are read on the monitor's own thread, named "Tapchime.kbd", and the handler is called
// directly on that thread, so it must return quickly and must not touch the user interface.
//
// The handler may be set before or after start(). Replacing it is safe while keys arrive: when
// setHandler() returns, the previous handler has finished its last call and is never called again
// (unless setHandler() is called from inside the handler itself, which returns at once).
//
// Ownership: exactly one exists, owned by the application model; destroying it stops its thread.
class KeyboardMonitor {
public:
    using Handler = std::function<void(const KeyEvent &)>;

    virtual ~KeyboardMonitor() = default;

    // Installs the handler (an empty function drops events). Owner's thread, at any time.
    virtual void setHandler(Handler handler) = 0;

    // Starts listening. True when the monitor runs, also when it already ran (nothing new is started);
    // false when no keyboard can be heard (no readable keyboard device and no usable X11 display), in
    // which case nothing changes and the owner may try again later.
    virtual bool start() = 0;

    // False until start() succeeds, then true for the life of the monitor.
    virtual bool isRunning() const = 0;
};

} // namespace tc
