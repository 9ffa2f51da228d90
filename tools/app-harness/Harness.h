#pragma once

// What the latency probe and the footprint benchmark share: a temporary home for the real program with a test
// document, starting and stopping it, reading its latency trace, and watching its windows on the X display.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tc::harness {

// CLOCK_MONOTONIC in nanoseconds: the clock of the program's latency trace.
uint64_t monotonicNs();
// Sleeps until the monotonic time `deadline` (ns).
void sleepUntil(uint64_t deadline);
void sleepMs(double milliseconds);

// A folder under the system's temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    explicit TempFolder(const std::string &prefix);
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The test document: one active profile whose every key plays `soundID` as its base sound, onboarding done,
// nothing that could mute the program (microphone, secure input, quiet hours), stereo spread off and the
// master volume at 1 so that every key sounds alike.
struct DocumentOptions {
    std::string soundID = "synth.blip";
    bool lowLatency = true;
    double masterVolume = 1.0;
};
// Writes $dataHome/Tapchime/data.json.
void writeDocument(const std::filesystem::path &dataHome, const DocumentOptions &options);

// The real program started with its own data and settings folders (XDG_DATA_HOME, XDG_CONFIG_HOME, HOME and
// XDG_RUNTIME_DIR under a temporary folder, so that it neither sees nor disturbs a running copy), optionally
// tracing to a file and pinned to the first `cores` cores. DISPLAY and PULSE_SERVER are passed on as they are.
class AppProcess {
public:
    struct Options {
        std::filesystem::path program;
        DocumentOptions document;
        bool trace = true;
        int cores = 0; // 0: every core
    };
    explicit AppProcess(const Options &options);
    ~AppProcess(); // stops the program
    AppProcess(const AppProcess &) = delete;
    AppProcess &operator=(const AppProcess &) = delete;

    pid_t pid() const { return pid_; }
    uint64_t startedAt() const { return startedAt_; } // monotonic ns just before the fork
    bool running();
    // SIGTERM, then SIGKILL after `graceMs`; returns the exit status (or -1).
    int stop(int graceMs = 5000);

    const std::filesystem::path &tracePath() const { return tracePath_; }
    // Waits for "mark NAME" in the trace; the mark's time, or absent after `timeoutMs` or when the program
    // ended.
    std::optional<uint64_t> waitForMark(const std::string &name, int timeoutMs);

private:
    TempFolder home_;
    std::filesystem::path tracePath_;
    pid_t pid_ = -1;
    uint64_t startedAt_ = 0;
};

// One line of the program's latency trace.
struct KeyRecord {
    uint64_t serial = 0;
    uint64_t received = 0;  // key event reached the router (ns)
    uint64_t returned = 0;  // play() returned (ns)
    uint64_t rendered = 0;  // the voice's first frame was rendered (ns; 0: never)
    int64_t latencyUs = -1; // how long that frame waits in the stream, as the stream reported it
};
struct TraceLog {
    std::map<std::string, uint64_t> marks; // first time of each mark
    std::vector<KeyRecord> keys;           // in serial order
};
TraceLog readTrace(const std::filesystem::path &path);

// /proc figures of one thread.
struct ThreadFigures {
    int tid = 0;
    std::string name;
    uint64_t cpuNs = 0;    // time on a CPU (schedstat)
    uint64_t switches = 0; // voluntary + involuntary context switches
};

// /proc figures of a running process.
struct ProcessFigures {
    uint64_t rssKiB = 0;     // VmRSS
    uint64_t rssAnonKiB = 0; // RssAnon
    uint64_t rssFileKiB = 0; // RssFile
    uint64_t ticks = 0;      // utime + stime from /proc/PID/stat, in clock ticks
    uint64_t cpuNs = 0;      // every thread's CPU time, from the process CPU clock
    uint64_t switches = 0;   // voluntary + involuntary context switches over every thread (wake-ups)
    int threads = 0;
    std::vector<ThreadFigures> perThread;
};
ProcessFigures readProcess(pid_t pid);

// Windows of one process on the X display of $DISPLAY (found by _NET_WM_PID). On a display with a tray the
// program starts in the tray without a window of its own: its first window is then the tray icon, embedded in
// the tray's window, so the search covers the whole window tree, not only the top level.
class WindowWatch {
public:
    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch &) = delete;
    WindowWatch &operator=(const WindowWatch &) = delete;

    // Waits until a window of `pid` (a top-level window or the tray icon) is viewable; the monotonic time it
    // was seen, or absent after `timeoutMs`.
    std::optional<uint64_t> waitForMappedWindow(pid_t pid, int timeoutMs);
    // Asks every mapped top-level window of `pid` to close (WM_DELETE_WINDOW, as a window manager's close
    // button does) and waits until none is mapped; the tray icon stays. False when one stays.
    bool closeWindows(pid_t pid, int timeoutMs);

private:
    // The viewable windows of `pid`: only the root's children, or the whole tree.
    std::vector<unsigned long> mappedWindows(pid_t pid, bool wholeTree = false);
    void *display_ = nullptr;
};

// Percentile (0–100) of a sorted list, by linear interpolation; NaN for an empty list.
double percentile(const std::vector<double> &sorted, double p);

} // namespace tc::harness
