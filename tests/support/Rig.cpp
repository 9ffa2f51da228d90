#include "support/Rig.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sched.h>
#include <stdexcept>
#include <sys/wait.h>

namespace tc::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tapchime-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string runCommand(const std::string &command) {
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        throw std::runtime_error("cannot run: " + command);
    }
    std::string output;
    std::array<char, 4096> chunk{};
    size_t n = 0;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        output.append(chunk.data(), n);
    }
    int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("command failed: " + command + "\n" + output);
    }
    return output;
}

std::string rigScript(const std::string &name) {
    return std::string(TAPCHIME_SOURCE_DIR) + "/scripts/rig/" + name;
}

namespace {

// The scripts print "NAME=value" as their last line.
std::string valueAfter(const std::string &output, const std::string &name) {
    auto at = output.rfind(name + "=");
    if (at == std::string::npos) {
        throw std::runtime_error("rig script printed no " + name + ": " + output);
    }
    auto value = output.substr(at + name.size() + 1);
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) {
        value.pop_back();
    }
    return value;
}

} // namespace

RigX::RigX() : RigX(Options{}) {}

RigX::RigX(Options options) {
    std::string command = rigScript("x-start") + " '" + dir_.path().string() + "'";
    if (options.windowManager) {
        command += " --wm";
    }
    if (options.tray) {
        command += " --tray";
    }
    display_ = valueAfter(runCommand(command), "DISPLAY");
    setenv("DISPLAY", display_.c_str(), 1);
}

RigX::~RigX() {
    try {
        stop();
    } catch (...) {
    }
    unsetenv("DISPLAY");
}

void RigX::stop() {
    runCommand(rigScript("x-stop") + " '" + dir_.path().string() + "'");
}

std::string soundServerName(SoundServer server) {
    return server == SoundServer::pipeWire ? "PipeWire" : "PulseAudio";
}

namespace {

const char *startScript(SoundServer server) {
    return server == SoundServer::pipeWire ? "pipewire-start" : "pulse-start";
}

const char *stopScript(SoundServer server) {
    return server == SoundServer::pipeWire ? "pipewire-stop" : "pulse-stop";
}

} // namespace

RigPulse::RigPulse(SoundServer server, Start when) : kind_(server) {
    // The socket each start script makes; the script prints it too.
    const fs::path socket =
        server == SoundServer::pipeWire ? dir_.path() / "runtime" / "pulse" / "native" : dir_.path() / "native";
    server_ = "unix:" + socket.string();
    setenv("PULSE_SERVER", server_.c_str(), 1);
    // PipeWire's own clients (the program's PipeWire stream) find the server by its socket.
    if (server == SoundServer::pipeWire) {
        setenv("PIPEWIRE_REMOTE", (dir_.path() / "runtime" / "pipewire-0").c_str(), 1);
    }
    if (when == Start::now) {
        start();
    }
}

RigPulse::~RigPulse() {
    stop();
    unsetenv("PULSE_SERVER");
    unsetenv("PIPEWIRE_REMOTE");
}

void RigPulse::start() {
    if (running_) {
        return;
    }
    // A start that fails half-way (a server that does not answer in time) leaves processes behind: the stop
    // script ends whatever it finds.
    running_ = true;
    try {
        const std::string printed =
            valueAfter(runCommand(rigScript(startScript(kind_)) + " '" + dir_.path().string() + "'"), "PULSE_SERVER");
        if (printed != server_) {
            throw std::runtime_error("rig server at " + printed + ", expected " + server_);
        }
    } catch (...) {
        stop();
        throw;
    }
}

std::string RigPulse::pactl(const std::string &arguments) const {
    return runCommand("PULSE_SERVER='" + server_ + "' pactl " + arguments);
}

bool RigPulse::raiseToRealtime() const {
    const std::vector<std::string> pidFiles = kind_ == SoundServer::pipeWire
                                                  ? std::vector<std::string>{"pipewire.pid", "pipewire-pulse.pid"}
                                                  : std::vector<std::string>{"pulse.pid"};
    sched_param param{};
    param.sched_priority = 5;
    for (const std::string &name : pidFiles) {
        std::ifstream file(dir_.path() / name);
        long pid = 0;
        if (!(file >> pid) || pid <= 0) {
            return false;
        }
        std::error_code error;
        for (const auto &task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
            const auto tid = static_cast<pid_t>(std::stol(task.path().filename().string()));
            if (sched_setscheduler(tid, SCHED_RR, &param) != 0) {
                return false;
            }
        }
        if (error) {
            return false;
        }
    }
    return true;
}

void RigPulse::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    try {
        runCommand(rigScript(stopScript(kind_)) + " '" + dir_.path().string() + "'");
    } catch (...) {
    }
}

std::vector<std::string> recordingApp(const std::string &source) {
    return {"parecord", "--latency-msec=20", "-d", source, "/dev/null"};
}

} // namespace tc::test
