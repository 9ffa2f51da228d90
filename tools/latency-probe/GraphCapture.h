#pragma once

// The probe's capture on PipeWire: the sink's monitor recorded through PipeWire's own API, each piece dated by
// the graph cycle it came in.

#include "Pulse.h"

#include <pipewire/pipewire.h>

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tc::probe {

// Records the output of a sink (its monitor) as per-frame levels (the louder channel's magnitude), like
// MonitorRecorder, but as a stream of PipeWire's own on the server of $PIPEWIRE_REMOTE. Each cycle of the
// graph hands it the frames the sink played in that cycle together with the cycle's start on the monotonic
// clock (pw_time.now), so every frame is dated by its own cycle: a cycle the capture lost leaves a gap in the
// dates instead of moving every later frame, and no clock mapping has to be estimated. A frame's date is the
// start of the cycle the sink played it in, as the program's stream sees the cycles. The capture asks the graph
// for long cycles (1024 frames), so that the program's own request sets the cycle, and its thread runs at
// PipeWire's real-time priority, so that it does not make cycles late itself.
class GraphCapture {
public:
    // `sink`: the sink's node name. `seconds`: the longest capture kept (the memory is taken at once, so the
    // capture never allocates while the graph waits for it). Throws std::runtime_error when the stream cannot
    // be made or does not start within 3 s.
    GraphCapture(const std::string &sink, double seconds);
    ~GraphCapture();
    GraphCapture(const GraphCapture &) = delete;
    GraphCapture &operator=(const GraphCapture &) = delete;

    // Stops and returns the levels.
    std::vector<float> finish();
    // The dates of the frames (stamped: exact per cycle). reports is the cycles, spreadNs 0, driftNs the
    // frames the capture lost, as time.
    MonitorRecorder::Mapping mapping();

private:
    static void onProcess(void *self);
    static void onState(void *self, pw_stream_state old, pw_stream_state state, const char *error);

    pw_thread_loop *loop_ = nullptr;
    pw_stream *stream_ = nullptr;
    bool failed_ = false;
    std::atomic<pid_t> thread_{0}; // PipeWire's data thread, known at its first cycle

    // Written on PipeWire's data thread within the capacity reserved at the start, read once it stopped.
    std::vector<float> levels_;
    std::vector<std::pair<size_t, int64_t>> pieces_; // (first frame, its cycle's start in monotonic ns)
    bool finished_ = false;
};

} // namespace tc::probe
