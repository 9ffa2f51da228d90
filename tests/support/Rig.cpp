#include "support/Rig.h"

#include <array>
#include <cstdio>
#include <cstdlib>
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
        runCommand(rigScript("x-stop") + " '" + dir_.path().string() + "'");
    } catch (...) {
    }
    unsetenv("DISPLAY");
}

RigPulse::RigPulse() {
    server_ = valueAfter(runCommand(rigScript("pulse-start") + " '" + dir_.path().string() + "'"), "PULSE_SERVER");
    running_ = true;
    setenv("PULSE_SERVER", server_.c_str(), 1);
}

RigPulse::~RigPulse() {
    stop();
    unsetenv("PULSE_SERVER");
}

std::string RigPulse::pactl(const std::string &arguments) const {
    return runCommand("PULSE_SERVER='" + server_ + "' pactl " + arguments);
}

void RigPulse::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    try {
        runCommand(rigScript("pulse-stop") + " '" + dir_.path().string() + "'");
    } catch (...) {
    }
}

} // namespace tc::test
