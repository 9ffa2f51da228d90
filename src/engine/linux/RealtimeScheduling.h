#pragma once

#include <string>
#include <sys/types.h>

namespace tc {

// Real-time scheduling for the few threads a key press passes through (the keyboard thread and the audio
// thread), so that a machine whose every core is busy does not keep a sound waiting for its turn. Both
// threads sleep nearly all the time and run for microseconds per key, so round-robin real time at a low
// priority costs the rest of the system nothing; the sound server's own threads keep a higher one.
//
// A thread gets SCHED_FIFO | SCHED_RESET_ON_FORK directly where the process may set it (RLIMIT_RTPRIO, or
// CAP_SYS_NICE), else from RealtimeKit (org.freedesktop.RealtimeKit1 on the system bus), the desktop's
// broker for this, within the priority and the CPU-time limit it offers. Where neither grants real time,
// RealtimeKit is asked for a higher nice level instead; where that is refused too the thread stays as it was.
// Nothing is logged: the program works the same, only less promptly on a busy machine.
//
// Before any thread turns real time the process's RLIMIT_RTTIME is lowered to at most RealtimeKit's limit
// (200 ms without it), so a real-time thread that ever spun without sleeping would be stopped by the kernel
// instead of starving its core.
//
// Threads: any thread. raise() may wait for the system bus (six calls at most, each within the call timeout,
// so about 1.5 s when the bus hangs and milliseconds when it answers), so it is never called on the GUI
// thread: the keyboard thread calls it for itself as it begins, the audio engine's control thread for the
// output's audio thread.
class RealtimeScheduling {
public:
    enum class Result { realtime, highPriority, unchanged };

    struct Options {
        bool direct = true;    // try sched_setscheduler() first
        std::string systemBus; // the bus RealtimeKit is asked on; empty: $DBUS_SYSTEM_BUS_ADDRESS, else the
                               // system bus's standard socket
        int timeoutMs = 250;   // per bus call
        int niceLevel = -11;   // asked for when real time is refused (RealtimeKit's usual lowest)
    };

    // The priorities asked for (clamped to what RealtimeKit allows).
    static constexpr int kAudioPriority = 4;
    static constexpr int kKeyboardPriority = 3;
    static constexpr long long kDefaultRealtimeLimitUs = 200000;

    // Raises thread `tid` of this process.
    static Result raise(pid_t tid, int priority, const Options &options);
    static Result raise(pid_t tid, int priority) { return raise(tid, priority, Options{}); }
    // Raises the calling thread.
    static Result raiseCurrentThread(int priority);
    static pid_t currentThreadId();
};

} // namespace tc
