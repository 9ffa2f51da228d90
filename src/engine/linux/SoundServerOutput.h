#pragma once

#include "engine/AudioOutput.h"
#include "engine/linux/PipeWireOutput.h"
#include "engine/linux/PulseAudioOutput.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tc {

class LatencyTrace;

// The program's sound output on the session's sound server. At each start it asks the server behind the
// PulseAudio API what it is: on PipeWire's PulseAudio service it plays through PipeWire's own stream
// (PipeWireOutput, on the same server: the cookies match), whose cycles can be as short as the low-latency
// mode asks, where PipeWire serves PulseAudio clients in cycles of at least 256 frames; everywhere else, and
// where PipeWire's own stream cannot be opened, through the PulseAudio stream (PulseAudioOutput). The first
// time PipeWire's stream cannot be opened one line goes to the log: "Tapchime: PipeWire's own stream cannot
// be opened (<reason>); playing through its PulseAudio service".
//
// Threads: see AudioOutput; whichever output runs renders and reports changes on its own threads.
class SoundServerOutput final : public AudioOutput {
public:
    using Log = std::function<void(const std::string &line)>;
    // What the server behind the PulseAudio API is, as it says.
    struct Server {
        std::string name; // "pulseaudio", "PulseAudio (on PipeWire 0.3.65)"
        uint32_t cookie = 0;
    };

    struct Options {
        Log log;                                 // default: standard error
        std::chrono::milliseconds timeout{2000}; // per server, to connect and open the stream
        PipeWireOutput::Options pipeWire;        // timeout: `timeout`
        bool pipeWireStream = true;              // false: always the PulseAudio stream
    };

    SoundServerOutput();
    explicit SoundServerOutput(Options options);
    ~SoundServerOutput() override;

    bool start(const std::string &deviceUID, int bufferFrames, AudioRenderer &renderer, std::string &error) override;
    void stop() override;
    bool isRunning() const override;
    std::string deviceUID() const override;
    void setBufferFrames(int bufferFrames) override;
    void setChangeHandler(ChangeHandler handler) override;
    void soundQueued() noexcept override;

    // Set before start(); the trace must outlive the output.
    void setLatencyTrace(LatencyTrace *trace);

    // Whether PipeWire's own stream runs (not the PulseAudio stream, nor none). Any thread.
    bool usesPipeWireStream() const { return running_.load(std::memory_order_acquire) == &pipeWire_; }
    // The two outputs, for tests and diagnosis.
    PipeWireOutput &pipeWire() { return pipeWire_; }
    PulseAudioOutput &pulseAudio() { return pulse_; }

    // The server behind the PulseAudio API; absent when none answers within `timeout`.
    static std::optional<Server> askServer(std::chrono::milliseconds timeout);

private:
    Log log_;
    const bool pipeWireStream_;
    const std::chrono::milliseconds timeout_;
    PipeWireOutput pipeWire_;
    PulseAudioOutput pulse_;
    std::atomic<AudioOutput *> running_{nullptr}; // the output started last; changed by start() and stop()
    bool logged_ = false;
};

} // namespace tc
