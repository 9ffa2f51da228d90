#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The headless test rig: a private X server and a private PulseAudio daemon for the test process.
// Each object starts its server through the scripts in scripts/rig, points this process at it
// (DISPLAY or PULSE_SERVER) and stops it by process id when destroyed. Tests that need a server
// create one in their fixture; servers of different tests never share state.
namespace tc::test {

// A folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs a shell command, returns what it printed on standard output; throws when it fails.
std::string runCommand(const std::string &command);

// Path of a script under scripts/rig in the source tree.
std::string rigScript(const std::string &name);

class RigX {
public:
    struct Options {
        bool windowManager = false; // jwm: _NET_ACTIVE_WINDOW and window activation
        bool tray = false;          // trayer: a system tray host
    };
    RigX();
    explicit RigX(Options options);
    ~RigX();
    RigX(const RigX &) = delete;
    RigX &operator=(const RigX &) = delete;

    // ":N", also exported as DISPLAY.
    const std::string &display() const { return display_; }

private:
    TempDir dir_;
    std::string display_;
};

class RigPulse {
public:
    RigPulse();
    ~RigPulse();
    RigPulse(const RigPulse &) = delete;
    RigPulse &operator=(const RigPulse &) = delete;

    // "unix:/path/native", also exported as PULSE_SERVER.
    const std::string &server() const { return server_; }
    // Runs pactl against this daemon and returns its output.
    std::string pactl(const std::string &arguments) const;
    // Stops the daemon early (for tests of a vanished sound server).
    void stop();

private:
    TempDir dir_;
    std::string server_;
    bool running_ = false;
};

} // namespace tc::test
