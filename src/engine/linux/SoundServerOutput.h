#pragma once

#include "engine/AudioOutput.h"
#include "engine/linux/PipeWireOutput.h"
#include "engine/linux/PulseAudioOutput.h"
#include "engine/linux/PulseContext.h"
#include "engine/linux/PulseLoop.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
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
// While PipeWire's stream plays, the connection that asked stays open to report a removed chosen sink and a
// new default sink, as the PulseAudio stream does: the device list comes from the PulseAudio API, so the
// engine hears of a removal only once that list no longer has the sink.
//
// Threads: see AudioOutput; whichever output runs renders and reports changes on its own threads, the
// removal watch on its own loop thread.
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

private:
    // Connects the watch and asks the server what it is; absent when it does not answer.
    std::optional<Server> askServer();
    // Watches for the removal of the sink `deviceUID` (none when empty) and for a new default sink.
    void watchSinks(const std::string &deviceUID);
    void releaseWatch();

    Log log_;
    const bool pipeWireStream_;
    const std::chrono::milliseconds timeout_;
    PipeWireOutput pipeWire_;
    PulseAudioOutput pulse_;
    std::atomic<AudioOutput *> running_{nullptr}; // the output started last; changed by start() and stop()
    bool logged_ = false;
    ChangeHandler handler_;
    std::unique_ptr<PulseLoop> watchLoop_; // then the watch, while PipeWire's stream runs
    std::unique_ptr<PulseContext> watch_;
    uint32_t chosenSink_ = PA_INVALID_INDEX; // watch loop thread
};

} // namespace tc
