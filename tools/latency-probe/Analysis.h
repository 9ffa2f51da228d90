#pragma once

// Turning a capture of the sink monitor and the press times into key-to-sound latencies.

#include "Harness.h"
#include "Pulse.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tc::probe {

struct OnsetOptions {
    float threshold = 0.01f;    // a frame louder than this is sound
    double soundOffsetMs = 0;   // how far into the sound itself its level first passes the threshold
    double searchBeforeMs = 5;  // onsets this much before the press still count (mapping error)
    double searchAfterMs = 250; // a sound later than this is a missed key
};

struct Onset {
    bool heard = false;
    bool unmeasurable = false; // sound was already playing when the press came (an overlap)
    double latencyMs = 0;      // press to the sound's start
};

// For each press (monotonic ns), the first frame above the threshold between the press and the next press
// (at most searchAfterMs), mapped to the monotonic clock, minus the sound's own offset.
std::vector<Onset> findOnsets(const std::vector<float> &levels, const MonitorRecorder::Mapping &mapping,
                              const std::vector<uint64_t> &pressedAt, const OnsetOptions &options);

// How many sounds start in frames [begin, end) of the capture: frames above `threshold` after at least
// `quietFrames` frames at or below it. Needs no clock mapping.
size_t countSounds(const std::vector<float> &levels, size_t begin, size_t end, float threshold, size_t quietFrames);

// The distribution of a list of values.
struct Summary {
    size_t count = 0;
    double median = 0, p95 = 0, p99 = 0, max = 0, min = 0;
};
Summary summarize(std::vector<double> values);

// The program's own timing of each press, matched from its trace by arrival time.
struct Breakdown {
    std::vector<double> delivery;  // press → event on the keyboard thread (X server and monitor), ms
    std::vector<double> routing;   // event → play() returned, ms
    std::vector<double> toRender;  // play() returned → first frame rendered, ms
    std::vector<double> queued;    // the stream's reported wait of that frame, ms
    std::vector<double> predicted; // press → rendered + reported wait, ms
    std::vector<double> residual;  // measured onset − predicted, ms
    size_t unmatched = 0;
    // By press (NaN where unknown): play() returned → first frame rendered, and the residual, ms.
    std::vector<double> toRenderOf, residualOf;
};
Breakdown breakDown(const std::vector<harness::KeyRecord> &records, const std::vector<uint64_t> &pressedAt,
                    const std::vector<Onset> &onsets);

} // namespace tc::probe
