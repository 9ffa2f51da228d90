// bench-footprint: what the running program costs the machine, measured on the real program from outside.
//
//   bench-footprint [--program PATH] [--cores N] [--runs N] [--idle-seconds S] [--threads] [--memory-map]
//
// Needs DISPLAY (an X server with XTest) and PULSE_SERVER (a PulseAudio server with the null sink tc_out); the program
// is started with a test document in a temporary home, exactly as the latency probe starts it (tools/perf-report starts
// the rig and runs this).
//
// start-up   --runs starts (default 5) pinned to the first --cores cores (default 2), traced: from the fork
//            to the first window of the program being mapped on the display, and to the "soundsReady" mark
//            (every built-in sound decoded or synthesized and cached).
// memory     VmRSS once every sound is loaded and the main window was closed again (as a user leaves it),
//            untraced, on every core.
// idle CPU   user + system time of every thread over --idle-seconds (default 10) with the stream open, from
//            the process CPU clock (ns) and /proc/PID/stat (10 ms ticks), and the wake-ups (context switches)
//            of every thread and of the main thread: first with the window shown, 10 s after 40 letter keys
//            were typed (XTest), then with the window closed (the program stays in the tray), 10 s after it
//            closed; with low-latency mode on and off, each against the goal of 0.1 % of a core. The window is
//            shown at start on a display without a tray, as tools/perf-report's; on one with a tray the program
//            starts in the tray, and "shown" measures it with its tray icon alone. --threads lists each
//            thread's share and wake-ups; --memory-map the largest resident parts of the memory map (from
//            /proc/PID/smaps, by file or kind).

#include "Harness.h"
#include "Keys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tc;

namespace {

constexpr int kTypedKeys = 40;           // letter keys typed before the idle intervals
constexpr double kIdleGoalPercent = 0.1; // of one core, with the window shown and closed

struct Options {
    std::string program = "build/default/src/tapchime";
    int cores = 2;
    int runs = 5;
    double idleSeconds = 10;
    bool threads = false;
    bool memoryMap = false;
};

[[noreturn]] void usage() {
    std::cerr << "usage: bench-footprint [--program PATH] [--cores N] [--runs N] [--idle-seconds S] [--threads] "
                 "[--memory-map]\n";
    std::exit(2);
}

Options parse(int argc, char **argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
            }
            return argv[++i];
        };
        if (arg == "--program") {
            options.program = value();
        } else if (arg == "--cores") {
            options.cores = std::stoi(value());
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::stoi(value()));
        } else if (arg == "--idle-seconds") {
            options.idleSeconds = std::stod(value());
        } else if (arg == "--threads") {
            options.threads = true;
        } else if (arg == "--memory-map") {
            options.memoryMap = true;
        } else {
            usage();
        }
    }
    return options;
}

struct Figure {
    std::string name;
    double value;
    std::string unit;
};

double ms(uint64_t from, uint64_t to) {
    return static_cast<double>(to - from) / 1e6;
}

// Start-ups: spawn to first window, spawn to sounds ready.
void startUp(const Options &options, std::vector<Figure> &figures, double &slowestReadyMs) {
    std::vector<double> window, ready;
    for (int run = 0; run < options.runs; ++run) {
        harness::AppProcess::Options appOptions;
        appOptions.program = options.program;
        appOptions.cores = options.cores;
        harness::AppProcess app(appOptions);
        harness::WindowWatch windows;
        const auto mapped = windows.waitForMappedWindow(app.pid(), 20000);
        const auto soundsReady = app.waitForMark("soundsReady", 20000);
        if (!mapped || !soundsReady) {
            throw std::runtime_error("the program showed no window or did not report its sounds ready");
        }
        window.push_back(ms(app.startedAt(), *mapped));
        ready.push_back(ms(app.startedAt(), *soundsReady));
        app.stop();
    }
    std::sort(window.begin(), window.end());
    std::sort(ready.begin(), ready.end());
    slowestReadyMs = ready.back();
    std::printf("start-up on %d cores, %d runs (from the fork):\n", options.cores, options.runs);
    std::printf("  first window mapped   median %7.1f ms  min %7.1f  max %7.1f\n", harness::percentile(window, 50),
                window.front(), window.back());
    std::printf("  sounds ready          median %7.1f ms  min %7.1f  max %7.1f\n", harness::percentile(ready, 50),
                ready.front(), ready.back());
    const std::string cores = " (" + std::to_string(options.cores) + " cores)";
    figures.push_back({"start to first window" + cores + ", median", harness::percentile(window, 50), "ms"});
    figures.push_back({"start to all sounds ready" + cores + ", median", harness::percentile(ready, 50), "ms"});
    figures.push_back({"start to all sounds ready" + cores + ", max", ready.back(), "ms"});
}

// The largest resident parts of a process's memory map, summed by file (or by kind for anonymous memory).
void printMemoryMap(pid_t pid) {
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    std::map<std::string, uint64_t> resident;
    std::string name;
    for (std::string line; std::getline(smaps, line);) {
        if (line.empty()) {
            continue;
        }
        if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 16 && line.find(':') > 16) {
            // "start-end perms offset dev inode [path]"
            std::istringstream fields(line);
            std::string range, perms, offset, device, inode;
            fields >> range >> perms >> offset >> device >> inode;
            name.clear();
            std::getline(fields >> std::ws, name);
            if (name.empty()) {
                name = "[anonymous]";
            }
        } else if (line.rfind("Rss:", 0) == 0) {
            resident[name] += std::stoull(line.substr(4));
        }
    }
    std::vector<std::pair<uint64_t, std::string>> sorted;
    for (const auto &[file, kib] : resident) {
        sorted.emplace_back(kib, file);
    }
    std::sort(sorted.rbegin(), sorted.rend());
    std::printf("  largest resident parts:\n");
    for (size_t i = 0; i < std::min<size_t>(sorted.size(), 25); ++i) {
        std::printf("    %8.1f MiB  %s\n", static_cast<double>(sorted[i].first) / 1024.0, sorted[i].second.c_str());
    }
}

// CPU and wake-ups of a process over one idle interval.
struct Idle {
    double clockPercent = 0; // of one core, from the process CPU clock
    double tickPercent = 0;  // from /proc/PID/stat ticks (10 ms each: coarse)
    double wakeups = 0;      // per second, every thread
    double mainWakeups = 0;  // per second, the main (GUI) thread
    std::vector<std::string> threadLines;
};

Idle measureIdle(harness::AppProcess &app, double idleSeconds) {
    const harness::ProcessFigures before = harness::readProcess(app.pid());
    const uint64_t from = harness::monotonicNs();
    harness::sleepMs(idleSeconds * 1000);
    const harness::ProcessFigures after = harness::readProcess(app.pid());
    const double seconds = static_cast<double>(harness::monotonicNs() - from) / 1e9;
    if (!app.running()) {
        throw std::runtime_error("the program ended during the idle measurement");
    }
    Idle idle;
    idle.tickPercent =
        100.0 * static_cast<double>(after.ticks - before.ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    idle.clockPercent = 100.0 * static_cast<double>(after.cpuNs - before.cpuNs) / 1e9 / seconds;
    // Summed per thread: the process total drops when a thread ends meanwhile, which would wrap the difference.
    std::map<int, harness::ThreadFigures> start;
    for (const auto &thread : before.perThread) {
        start[thread.tid] = thread;
    }
    uint64_t switches = 0;
    for (const auto &thread : after.perThread) {
        const auto first = start.find(thread.tid);
        const harness::ThreadFigures earlier = first != start.end() ? first->second : harness::ThreadFigures{};
        const uint64_t woken = thread.switches >= earlier.switches ? thread.switches - earlier.switches : 0;
        switches += woken;
        if (thread.tid == app.pid()) {
            idle.mainWakeups = static_cast<double>(woken) / seconds;
        }
        char line[160];
        std::snprintf(line, sizeof line, "    %-18s %7.3f %%  %7.1f wake-ups/s%s", thread.name.c_str(),
                      100.0 * static_cast<double>(thread.cpuNs - earlier.cpuNs) / 1e9 / seconds,
                      static_cast<double>(woken) / seconds, thread.tid == app.pid() ? "  (main thread)" : "");
        idle.threadLines.emplace_back(line);
    }
    idle.wakeups = static_cast<double>(switches) / seconds;
    return idle;
}

void printIdle(const char *state, const Idle &idle, double seconds, bool threads) {
    std::printf("  idle CPU, window %-6s %7.3f %% of one core over %.0f s (process CPU clock; %.2f %% from "
                "/proc/PID/stat ticks); %.1f wake-ups/s, %.1f on the main thread\n",
                state, idle.clockPercent, seconds, idle.tickPercent, idle.wakeups, idle.mainWakeups);
    if (threads) {
        for (const std::string &line : idle.threadLines) {
            std::printf("%s\n", line.c_str());
        }
    }
}

// A steady-state run as a user leaves the program: some typing with the window shown, then nothing for
// kSettleSeconds before the window-shown interval; the window closed (the program stays in the tray), then
// nothing again for kSettleSeconds before the window-closed interval. Memory is read with the window closed.
void steadyState(const Options &options, bool lowLatency, double readyMs, std::vector<Figure> &figures) {
    constexpr double kSettleSeconds = 10;
    harness::AppProcess::Options appOptions;
    appOptions.program = options.program;
    appOptions.trace = false; // exactly what a user runs
    appOptions.document.lowLatency = lowLatency;
    harness::AppProcess app(appOptions);
    harness::WindowWatch windows;
    if (!windows.waitForMappedWindow(app.pid(), 20000)) {
        throw std::runtime_error("the program showed no window");
    }
    // Far longer than the slowest start-up took to load every sound.
    harness::sleepMs(std::max(2000.0, 3 * readyMs));
    probe::KeyInjector keys;
    keys.play(probe::makeSchedule(kTypedKeys, 80, 350, 0, {}, 7), harness::monotonicNs(), 40);
    harness::sleepMs(kSettleSeconds * 1000);
    const Idle shown = measureIdle(app, options.idleSeconds);

    windows.closeWindows(app.pid(), 5000);
    harness::sleepMs(kSettleSeconds * 1000);
    const std::string mode = lowLatency ? "low latency on" : "low latency off";
    if (options.memoryMap && lowLatency) {
        printMemoryMap(app.pid());
    }
    const harness::ProcessFigures memory = harness::readProcess(app.pid());
    const Idle closed = measureIdle(app, options.idleSeconds);

    std::printf("steady state, %s:\n", mode.c_str());
    std::printf("  resident memory       %7.1f MiB (anonymous %.1f, files %.1f), %d threads\n",
                static_cast<double>(memory.rssKiB) / 1024.0, static_cast<double>(memory.rssAnonKiB) / 1024.0,
                static_cast<double>(memory.rssFileKiB) / 1024.0, memory.threads);
    printIdle("shown", shown, options.idleSeconds, options.threads);
    printIdle("closed", closed, options.idleSeconds, options.threads);
    for (const auto &[state, idle] : {std::pair{"shown", shown}, std::pair{"closed", closed}}) {
        std::printf("  idle CPU, window %-6s %s the goal of %.1f %%\n", state,
                    idle.clockPercent <= kIdleGoalPercent ? "meets" : "MISSES", kIdleGoalPercent);
    }
    figures.push_back({"resident memory, sounds loaded, window closed (" + mode + ")",
                       static_cast<double>(memory.rssKiB) / 1024.0, "MiB"});
    figures.push_back({"idle CPU, window shown (" + mode + ")", shown.clockPercent, "% of a core"});
    figures.push_back({"idle CPU, window closed (" + mode + ")", closed.clockPercent, "% of a core"});
    figures.push_back({"idle wake-ups, window shown (" + mode + ")", shown.wakeups, "per s"});
    figures.push_back({"idle wake-ups, window closed (" + mode + ")", closed.wakeups, "per s"});
    figures.push_back({"idle main-thread wake-ups, window shown (" + mode + ")", shown.mainWakeups, "per s"});
    figures.push_back({"idle main-thread wake-ups, window closed (" + mode + ")", closed.mainWakeups, "per s"});
}

} // namespace

int main(int argc, char **argv) {
    const Options options = parse(argc, argv);
    try {
        std::vector<Figure> figures;
        double readyMs = 0;
        startUp(options, figures, readyMs);
        steadyState(options, true, readyMs, figures);
        steadyState(options, false, readyMs, figures);
        std::printf("\n");
        for (const Figure &figure : figures) {
            std::printf("figure\t%s\t%.3f\t%s\n", figure.name.c_str(), figure.value, figure.unit.c_str());
        }
    } catch (const std::exception &error) {
        std::cerr << "bench-footprint: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
