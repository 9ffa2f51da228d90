#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

// The headless test rig: a private X server and a private sound server (PulseAudio, or PipeWire with its
// PulseAudio service) for the test process.
// Each object starts its server through the scripts in scripts/rig, points this process at it (DISPLAY, or
// PULSE_SERVER and on PipeWire also PIPEWIRE_REMOTE) and stops it by process id when destroyed. Tests that
// need a server create one in their fixture; servers of different tests never share state.
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
    // Stops the server early (for tests of a display that goes away); DISPLAY stays as it was.
    void stop();

private:
    TempDir dir_;
    std::string display_;
};

// The sound servers the rig can start. Both serve the PulseAudio API with the same null sink "tc_out" and
// microphone "tc_mic": PulseAudio itself, or PipeWire with pipewire-pulse (and WirePlumber), as most desktops
// now run it.
enum class SoundServer { pulseAudio, pipeWire };

// "PulseAudio" or "PipeWire": for parameterised test names.
std::string soundServerName(SoundServer server);
// How GoogleTest prints the parameter.
inline void PrintTo(SoundServer server, std::ostream *out) {
    *out << soundServerName(server);
}

// Both servers, for INSTANTIATE_TEST_SUITE_P(SoundServers, Suite, kSoundServers, SoundServerName()).
inline const auto kSoundServers = ::testing::Values(SoundServer::pulseAudio, SoundServer::pipeWire);
struct SoundServerName {
    std::string operator()(const ::testing::TestParamInfo<SoundServer> &info) const {
        return soundServerName(info.param);
    }
};

class RigPulse {
public:
    // Whether the constructor starts the server or only names it (PULSE_SERVER) for a later start().
    enum class Start { now, later };

    explicit RigPulse(SoundServer server = SoundServer::pulseAudio, Start when = Start::now);
    ~RigPulse();
    RigPulse(const RigPulse &) = delete;
    RigPulse &operator=(const RigPulse &) = delete;

    SoundServer kind() const { return kind_; }
    // "unix:/path/native", also exported as PULSE_SERVER.
    const std::string &server() const { return server_; }
    // Runs pactl against this server and returns its output.
    std::string pactl(const std::string &arguments) const;
    // Starts a server made with Start::later (for tests of a sound server that appears late).
    void start();
    // Stops the server early (for tests of a vanished sound server).
    void stop();
    // Gives every thread of the server the real-time priority a desktop's RealtimeKit gives its sound server
    // (round-robin 5), so that a busy machine does not keep it waiting for a core; false where this process
    // may not, and the server runs as started.
    bool raiseToRealtime() const;

private:
    SoundServer kind_;
    TempDir dir_;
    std::string server_;
    bool running_ = false;
};

// A recording application's command line: parecord from `source` into /dev/null. pipewire-pulse hands a
// record stream that asks for no latency its data in pieces of a second or more, so it asks for a short one,
// as a voice application would.
std::vector<std::string> recordingApp(const std::string &source);

} // namespace tc::test
