#pragma once

#include <atomic>

struct _XDisplay;

namespace tc {

// The program's own answer to the X server going away (the session ends, the display server restarts).
//
// Left to itself, Xlib answers a broken connection with exit() on whichever thread noticed it (the toolkit's
// handler prints a line first and then does the same), so the keyboard thread and the main thread could both
// run exit() at once, and the global destructors ran on a thread that does not own them. install() puts one
// handler in place for every Xlib connection of the process instead:
// - on the main thread (the one that called install) it calls `end`, which saves what is pending and ends the
//   process; it does not return;
// - on any other thread it calls `notify` (once), which must be safe from any thread and asks the main thread
//   to do the same. The Xlib call that failed then returns on a connection of our own (see adopt), so its
//   thread can end; a thread on a connection that is not ours would be made to exit() by Xlib next, so it is
//   held until the main thread has ended the process (and ends it itself after kForeignHoldSeconds).
//
// install() replaces the process's Xlib I/O error handler: call it on the main thread once the toolkit has
// opened its display (it installs its own then). Without it, Xlib's default handler ends the process.
class XConnectionLoss {
public:
    using Action = void (*)();
    static constexpr int kForeignHoldSeconds = 5;

    static void install(Action end, Action notify);
    // Whether install() ran.
    static bool installed();

    // A connection of ours, read by a thread of ours: once it is lost, the Xlib call that noticed returns and
    // `lost` turns true, so the thread can leave its loop. Call before the thread starts reading; forget() before
    // the connection is closed.
    static void adopt(_XDisplay *display, std::atomic<bool> *lost);
    static void forget(_XDisplay *display);
    // A thread of ours saw the server hang up on its connection before Xlib did: tells the main thread as the
    // handler would (once), from any thread.
    static void report();
};

} // namespace tc
