#include "Harness.h"

#include "model/AppData.h"
#include "model/Json.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tc::harness {

uint64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000ull + static_cast<uint64_t>(now.tv_nsec);
}

void sleepUntil(uint64_t deadline) {
    timespec at{};
    at.tv_sec = static_cast<time_t>(deadline / 1'000'000'000ull);
    at.tv_nsec = static_cast<long>(deadline % 1'000'000'000ull);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

void sleepMs(double milliseconds) {
    sleepUntil(monotonicNs() + static_cast<uint64_t>(milliseconds * 1e6));
}

// ---- TempFolder ----------------------------------------------------------------------------------------

TempFolder::TempFolder(const std::string &prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder: " + std::string(std::strerror(errno)));
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

// ---- the document --------------------------------------------------------------------------------------

void writeDocument(const fs::path &dataHome, const DocumentOptions &options) {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = "Probe";
    profile.baseSoundID = options.soundID;

    AppData data;
    data.profiles.push_back(profile);
    data.activeProfileID = profile.id;
    AppSettings &settings = data.settings;
    settings.enabled = true;
    settings.masterVolume = options.masterVolume;
    settings.lowLatency = options.lowLatency;
    settings.muteWhenMicInUse = false;
    settings.muteInSecureInput = false;
    settings.quietHoursEnabled = false;
    settings.hasCompletedOnboarding = true;
    settings.coachDismissed = true;
    settings.stereoSpread = false;

    const fs::path folder = dataHome / "Tapchime";
    fs::create_directories(folder);
    std::ofstream out(folder / "data.json");
    out << encodeAppData(data, true);
    if (!out) {
        throw std::runtime_error("cannot write " + (folder / "data.json").string());
    }
}

// ---- AppProcess ----------------------------------------------------------------------------------------

AppProcess::AppProcess(const Options &options) : home_("tapchime-harness") {
    const fs::path dataHome = home_.path() / "data";
    const fs::path configHome = home_.path() / "config";
    const fs::path runtime = home_.path() / "runtime";
    fs::create_directories(dataHome);
    fs::create_directories(configHome);
    fs::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    writeDocument(dataHome, options.document);
    if (options.trace) {
        tracePath_ = home_.path() / "trace.log";
    }
    if (!fs::exists(options.program)) {
        throw std::runtime_error("no program at " + options.program.string());
    }

    // Everything the child needs is prepared before the fork: after it only async-signal-safe calls.
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry) {
        const std::string line = *entry;
        const std::string name = line.substr(0, line.find('='));
        if (name == "XDG_DATA_HOME" || name == "XDG_CONFIG_HOME" || name == "XDG_RUNTIME_DIR" || name == "HOME" ||
            name == "TAPCHIME_LATENCY_TRACE" || name == "QT_QPA_PLATFORM") {
            continue;
        }
        environment.push_back(line);
    }
    environment.push_back("XDG_DATA_HOME=" + dataHome.string());
    environment.push_back("XDG_CONFIG_HOME=" + configHome.string());
    environment.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    environment.push_back("HOME=" + home_.path().string());
    if (options.trace) {
        environment.push_back("TAPCHIME_LATENCY_TRACE=" + tracePath_.string());
    }
    std::vector<char *> envp;
    for (auto &line : environment) {
        envp.push_back(line.data());
    }
    envp.push_back(nullptr);
    std::string program = options.program.string();
    char *argv[] = {program.data(), nullptr};
    const fs::path logPath = home_.path() / "program.log";

    cpu_set_t cores;
    CPU_ZERO(&cores);
    for (int cpu = 0; cpu < options.cores; ++cpu) {
        CPU_SET(cpu, &cores);
    }

    startedAt_ = monotonicNs();
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        if (options.cores > 0) {
            sched_setaffinity(0, sizeof(cores), &cores);
        }
        // The program's own messages go to a log in its folder, so they do not mix with the report.
        FILE *log = std::fopen(logPath.c_str(), "w");
        if (log) {
            dup2(fileno(log), STDOUT_FILENO);
            dup2(fileno(log), STDERR_FILENO);
        }
        execve(argv[0], argv, envp.data());
        _exit(127);
    }
}

AppProcess::~AppProcess() {
    stop(2000);
}

bool AppProcess::running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int AppProcess::stop(int graceMs) {
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    const uint64_t deadline = monotonicNs() + static_cast<uint64_t>(graceMs) * 1'000'000ull;
    while (monotonicNs() < deadline) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        sleepMs(10);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

std::optional<uint64_t> AppProcess::waitForMark(const std::string &name, int timeoutMs) {
    if (tracePath_.empty()) {
        return std::nullopt;
    }
    const uint64_t deadline = monotonicNs() + static_cast<uint64_t>(timeoutMs) * 1'000'000ull;
    while (monotonicNs() < deadline) {
        const TraceLog log = readTrace(tracePath_);
        if (const auto found = log.marks.find(name); found != log.marks.end()) {
            return found->second;
        }
        if (!running()) {
            return std::nullopt;
        }
        sleepMs(5);
    }
    return std::nullopt;
}

// ---- the trace -----------------------------------------------------------------------------------------

TraceLog readTrace(const fs::path &path) {
    TraceLog log;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        auto field = [&](const std::string &word, const char *name) -> std::optional<std::string> {
            const std::string prefix = std::string(name) + "=";
            if (word.rfind(prefix, 0) == 0) {
                return word.substr(prefix.size());
            }
            return std::nullopt;
        };
        if (kind == "mark") {
            std::string name, time;
            words >> name >> time;
            if (auto value = field(time, "time")) {
                log.marks.emplace(name, std::stoull(*value));
            }
        } else if (kind == "key") {
            KeyRecord record;
            for (std::string word; words >> word;) {
                if (auto v = field(word, "serial")) {
                    record.serial = std::stoull(*v);
                } else if (auto v2 = field(word, "received")) {
                    record.received = std::stoull(*v2);
                } else if (auto v3 = field(word, "returned")) {
                    record.returned = std::stoull(*v3);
                } else if (auto v4 = field(word, "rendered")) {
                    record.rendered = std::stoull(*v4);
                } else if (auto v5 = field(word, "latency_us")) {
                    record.latencyUs = std::stoll(*v5);
                }
            }
            log.keys.push_back(record);
        }
    }
    return log;
}

// ---- /proc ---------------------------------------------------------------------------------------------

namespace {

uint64_t statusField(const std::string &status, const std::string &name) {
    const auto at = status.find("\n" + name + ":");
    if (at == std::string::npos) {
        return 0;
    }
    return std::stoull(status.substr(at + name.size() + 2));
}

std::string readAll(const fs::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return "\n" + text.str();
}

} // namespace

ProcessFigures readProcess(pid_t pid) {
    ProcessFigures figures;
    const fs::path proc = "/proc/" + std::to_string(pid);
    const std::string status = readAll(proc / "status");
    figures.rssKiB = statusField(status, "VmRSS");
    figures.rssAnonKiB = statusField(status, "RssAnon");
    figures.rssFileKiB = statusField(status, "RssFile");
    figures.threads = static_cast<int>(statusField(status, "Threads"));

    // Fields 14 and 15 of /proc/PID/stat, counted after the command name in parentheses.
    const std::string stat = readAll(proc / "stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i <= 13; ++i) {
        fields >> skip;
    }
    uint64_t utime = 0, stime = 0;
    fields >> utime >> stime;
    figures.ticks = utime + stime;

    clockid_t clock{};
    timespec cpu{};
    if (clock_getcpuclockid(pid, &clock) == 0 && clock_gettime(clock, &cpu) == 0) {
        figures.cpuNs = static_cast<uint64_t>(cpu.tv_sec) * 1'000'000'000ull + static_cast<uint64_t>(cpu.tv_nsec);
    }

    std::error_code error;
    for (const auto &task : fs::directory_iterator(proc / "task", error)) {
        const std::string taskStatus = readAll(task.path() / "status");
        ThreadFigures thread;
        thread.tid = std::stoi(task.path().filename().string());
        thread.switches =
            statusField(taskStatus, "voluntary_ctxt_switches") + statusField(taskStatus, "nonvoluntary_ctxt_switches");
        std::ifstream comm(task.path() / "comm");
        std::getline(comm, thread.name);
        std::ifstream schedstat(task.path() / "schedstat");
        schedstat >> thread.cpuNs;
        figures.switches += thread.switches;
        figures.perThread.push_back(thread);
    }
    return figures;
}

// ---- windows -------------------------------------------------------------------------------------------

namespace {

// Windows come and go while they are looked at: a window gone between listing and reading is no error.
int ignoreXErrors(Display *, XErrorEvent *) {
    return 0;
}

} // namespace

WindowWatch::WindowWatch() {
    XSetErrorHandler(ignoreXErrors);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
    }
    display_ = display;
}

WindowWatch::~WindowWatch() {
    XCloseDisplay(static_cast<Display *>(display_));
}

std::vector<unsigned long> WindowWatch::mappedWindows(pid_t pid, bool wholeTree) {
    auto *display = static_cast<Display *>(display_);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    std::vector<unsigned long> found;
    std::vector<Window> pending{DefaultRootWindow(display)};
    while (!pending.empty()) {
        const Window window = pending.back();
        pending.pop_back();
        Window root = 0, parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
            continue;
        }
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) {
                continue;
            }
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char *value = nullptr;
            if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                   &after, &value) == Success &&
                value) {
                if (items == 1 && format == 32 &&
                    static_cast<pid_t>(*reinterpret_cast<unsigned long *>(value)) == pid) {
                    found.push_back(children[i]);
                }
                XFree(value);
            }
            if (wholeTree) {
                pending.push_back(children[i]);
            }
        }
        if (children) {
            XFree(children);
        }
    }
    return found;
}

std::optional<uint64_t> WindowWatch::waitForMappedWindow(pid_t pid, int timeoutMs) {
    const uint64_t deadline = monotonicNs() + static_cast<uint64_t>(timeoutMs) * 1'000'000ull;
    while (monotonicNs() < deadline) {
        if (!mappedWindows(pid, true).empty()) {
            return monotonicNs();
        }
        sleepMs(2);
    }
    return std::nullopt;
}

bool WindowWatch::closeWindows(pid_t pid, int timeoutMs) {
    auto *display = static_cast<Display *>(display_);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    for (const unsigned long window : mappedWindows(pid)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    }
    XFlush(display);
    const uint64_t deadline = monotonicNs() + static_cast<uint64_t>(timeoutMs) * 1'000'000ull;
    while (monotonicNs() < deadline) {
        if (mappedWindows(pid).empty()) {
            return true;
        }
        sleepMs(10);
    }
    return false;
}

// ---- statistics ----------------------------------------------------------------------------------------

double percentile(const std::vector<double> &sorted, double p) {
    if (sorted.empty()) {
        return std::nan("");
    }
    const double at = std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(sorted.size() - 1);
    const auto low = static_cast<size_t>(std::floor(at));
    const size_t high = std::min(low + 1, sorted.size() - 1);
    return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}

} // namespace tc::harness
