// latency-probe: how long after a key press its sound comes out of the real program, measured from outside on
// the headless rig. See kHelp for the method and its error; tools/latency-probe/run starts the rig and runs it.

#include "Analysis.h"
#include "GraphCapture.h"
#include "GraphWatch.h"
#include "Harness.h"
#include "Keys.h"
#include "Pulse.h"

#include "engine/LoadedSound.h"
#include "engine/SoundLibrary.h"
#include "engine/SoundRouter.h"
#include "engine/linux/SoundFolders.h"
#include "engine/linux/ffmpeg/FfmpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace tc;
using namespace tc::probe;

namespace {

const char *kHelp =
    R"(latency-probe: key-to-sound latency of the real program, measured from outside on the headless rig.

usage: latency-probe [--program PATH] [--mode floor|on|off|none ...] [--keys N] [--sound ID] [--settle S]
                     [--seed N] [--cores N] [--threshold LEVEL] [--rate N [--seconds S]] [--graph]
                     [--quiet] [--list]

Needs DISPLAY (an X server with XTest) and PULSE_SERVER (a PulseAudio server, or PipeWire's PulseAudio
service, with the null sink tc_out). Headings and figure names begin with the server that answered
("PulseAudio" or "PipeWire"). tools/latency-probe/run starts a private Xvfb and sound server (PulseAudio,
PipeWire or one after the other: run --server pulseaudio|pipewire|both) and runs every mode.

modes (default: floor on off)
  floor   the rig alone: the probe writes a 1 ms click straight into tc_out through its own playback stream
          with a 2 ms buffer, at the moments it would press keys. Nothing of the program is in the path.
  on/off  the real program (--program, default build/default/src/tapchime) with low-latency mode on or off:
          started with a test document in a temporary home (every key plays --sound, default synth.blip, as
          the profile's base sound at master volume 1, stereo spread off, onboarding done), its main window
          closed once the sounds are loaded, then left --settle seconds (default 3) for its stream to run.
  none    no program and no key: the rig (and whatever else plays on it, and the capture below) for as
          long as the presses would take; with --graph, to compare the graph without the program with it.

method
  presses  --keys letter keys (default 320) pressed with XTest at gaps drawn evenly from 80 to 350 ms, and a
           pause of 3 to 8 s after every 40th (the keys after a pause are reported apart). The press time is
           CLOCK_MONOTONIC taken just before the request leaves for the X server.
  capture  on PulseAudio a record stream on tc_out.monitor (64-frame fragments) keeps the level of every
           frame. Every 50 ms the probe asks the server for the stream's timing report: the frame at
           write_index + source latency - sink latency is being played at the moment the server answered
           (the answer's arrival minus the transport time). Each report so estimates the monotonic time of
           frame 0. The estimates are not constant: when the sink rewinds (a new stream starting, a stream
           that ran dry getting data again) the monitor has already passed on part of what it rendered, and
           the capture gains those frames twice. So each frame is mapped with the median of the reports
           within a quarter of a second of it; the null sink runs on the same monotonic clock, so between
           such jumps there is no drift. On PipeWire, whose PulseAudio service reports latencies that wander
           by milliseconds and drops frames when its record stream is late, the probe records tc_out with a
           stream of PipeWire's own (asking for 1024-frame cycles, so that it does not set the graph's
           cycle): each cycle hands it the frames the sink played in the cycle before, dated by the start of
           that cycle on the monotonic clock (as the program's stream sees its cycles); a cycle the capture
           missed leaves a gap, nothing more. A driver that wakes late dates its cycle as if it had not.
  onset    the first frame after the press whose louder channel is above --threshold (default 0.01), minus
           the time the sound itself takes to pass that level (from the program's own buffers of the sound;
           about 0.06 ms for synth.blip). No such frame before the next press (at most 250 ms) is a missed key.
           As a check that needs no mapping, the sounds in the capture are counted too (a frame above the
           threshold after at least 5 ms below it), from the first press to 250 ms after the last: as many
           as there are presses when none was missed.
error
  The mapping's error is the spread (p5 to p95) of the reports around their local median, printed with each
  run: on the rig 0.01 to 0.4 ms, set by the sink's render blocks (0 on PipeWire, where each cycle dates its
  frames; there the drift is the time of the frames the capture missed). Add the frame grid (21 us), the program's
  pitch variation (+-3 %, moving the sound's own offset by under 3 us) and the press time being taken a few
  microseconds before the X server has the request. The floor goes through the same mapping, so a program
  figure minus the floor is free of any constant error in it. As a cross-check, the residual below (measured
  onset minus the program's own prediction) stays within +-0.1 ms for 95 % of the presses on the rig.

--rate N   presses at N per second, evenly, with no pause (a soak; default: the schedule above), for
           --seconds S (default: --keys presses). Each press is released after half its gap (at most 30 ms).
           A sound longer than the gap overlaps the next press: raise --threshold above its tail (for
           synth.blip at 30 per second, 0.15) or most presses are reported overlapped.
--graph    (PipeWire only, needs PIPEWIRE_REMOTE) reads PipeWire's profiler while the keys are pressed and
           prints, for every node of the graph, the cycles it took part in, the cycles it had not finished
           when its driver's cycle was reported (late: it made the cycle an xrun; alone: no other node was
           late in that cycle), for a driver the xruns it counted, and over the finished cycles the wait from
           the node's signal to its waking up and its own work (p50, p99, max); then the graph's cycle
           lengths. The same figures come from a run of the mode none, for comparison.
--list prints every press with its latency.

breakdown (from the program's own trace, TAPCHIME_LATENCY_TRACE, which the probe turns on)
  delivery   press -> the event reaches the router on the keyboard thread (X server, XInput 2 monitor)
  routing    event -> AudioEngine::play() returned (router, sound lookup, voice hand-over)
  to render  play() returned -> the render that applied the voice started on the audio thread
  queued     how long that render's first frame waits before it is played, from the stream's last timing
             report (the new sound is placed that far after the frame being played)
  predicted  press -> rendered + queued; residual = measured onset - predicted (mapping and sink blocks)
)";

struct Options {
    std::string program = "build/default/src/tapchime";
    std::vector<std::string> modes;
    int keys = 320;
    std::string sound = "synth.blip";
    double settleSeconds = 3;
    uint64_t seed = 1;
    int cores = 0;
    float threshold = 0.01f;
    bool quiet = false;
    bool list = false;
    double rate = 0;    // presses per second, evenly; 0: the irregular schedule
    double seconds = 0; // with a rate: how long
    bool graph = false;
};

[[noreturn]] void usage(const std::string &problem) {
    std::cerr << "latency-probe: " << problem << "\n(see latency-probe --help)\n";
    std::exit(2);
}

Options parse(int argc, char **argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage(arg + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            std::exit(0);
        } else if (arg == "--program") {
            options.program = value();
        } else if (arg == "--mode") {
            const std::string mode = value();
            if (mode != "floor" && mode != "on" && mode != "off" && mode != "none") {
                usage("unknown mode " + mode);
            }
            options.modes.push_back(mode);
        } else if (arg == "--keys") {
            options.keys = std::max(2, std::stoi(value()));
        } else if (arg == "--sound") {
            options.sound = value();
        } else if (arg == "--settle") {
            options.settleSeconds = std::stod(value());
        } else if (arg == "--seed") {
            options.seed = std::stoull(value());
        } else if (arg == "--cores") {
            options.cores = std::stoi(value());
        } else if (arg == "--threshold") {
            options.threshold = std::stof(value());
        } else if (arg == "--rate") {
            options.rate = std::stod(value());
            if (!(options.rate > 0 && options.rate <= 200)) {
                usage("--rate takes 0 < N <= 200 presses per second");
            }
        } else if (arg == "--seconds") {
            options.seconds = std::stod(value());
        } else if (arg == "--graph") {
            options.graph = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--list") {
            options.list = true;
        } else {
            usage("unknown option " + arg);
        }
    }
    if (options.modes.empty()) {
        options.modes = {"floor", "on", "off"};
    }
    if (options.rate > 0 && options.seconds > 0) {
        options.keys = std::max(2, static_cast<int>(options.seconds * options.rate));
    }
    return options;
}

constexpr double kMinGapMs = 80;
constexpr double kMaxGapMs = 350;
constexpr int kPauseEvery = 40;
const std::vector<double> kPausesMs = {5000, 3000, 6000, 5000, 4000, 8000, 5000};
constexpr double kAfterPauseMs = 3000; // a press after at least this much silence counts as "after a pause"
constexpr int kFragmentFrames = 64;
constexpr int kFloorBufferFrames = 96; // 2 ms

// How long the program's sound takes to pass the threshold by itself: the median over its key-down takes,
// as the program's own library makes them, at the gain a key without a sound of its own plays at.
double soundOffsetMs(const std::string &soundID, float threshold) {
    harness::TempFolder folder("latency-probe-sounds");
    SoundLibrary library(std::make_shared<FfmpegDecoder>(), folder.path(), SoundFolders::builtinSounds());
    library.preloadBuiltins();
    const LoadedSoundPtr sound = library.loaded(soundID);
    if (!sound) {
        throw std::runtime_error("no built-in sound " + soundID);
    }
    const float gain = SoundRouter::kBaseGain;
    std::vector<double> offsets;
    const auto takes = sound->takes().find(SoundSynth::Role::down);
    for (const AudioBufferPtr &take : takes->second) {
        for (size_t i = 0; i < take->frames(); ++i) {
            if (std::max(std::fabs(take->channel(0)[i]), std::fabs(take->channel(1)[i])) * gain > threshold) {
                offsets.push_back(static_cast<double>(i) * 1e3 / kRate);
                break;
            }
        }
    }
    std::sort(offsets.begin(), offsets.end());
    return harness::percentile(offsets, 50);
}

// "PipeWire" for PipeWire's PulseAudio service, else "PulseAudio".
std::string serverLabel() {
    return serverName().find("PipeWire") != std::string::npos ? "PipeWire" : "PulseAudio";
}

struct Figure {
    std::string name;
    double value;
    std::string unit;
};

struct RunResult {
    std::vector<uint64_t> pressedAt;
    std::vector<float> levels;
    MonitorRecorder::Mapping mapping;
    harness::TraceLog trace;
    std::string note;
    std::optional<GraphWatch::Report> graph;
    std::string loadBefore, loadAfter; // the machine's load averages (1, 5, 15 min) as the presses began and ended
};

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// The first three fields of /proc/loadavg.
std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The node PipeWire's stream of the program is named.
constexpr const char *kProgramNode = "Tapchime";

// What the graph watch saw during the presses, and its figures under `key`.
void reportGraph(const std::string &key, const RunResult &run, std::vector<Figure> &figures) {
    std::printf("  load average (1, 5, 15 min): %s as the presses began, %s as they ended\n", run.loadBefore.c_str(),
                run.loadAfter.c_str());
    if (!run.graph) {
        return;
    }
    const GraphWatch::Report &graph = *run.graph;
    std::printf("  PipeWire's graph over the presses: %llu driver cycles; per node (late: not finished when its\n"
                "  driver's cycle was reported; alone: late when no other node was; xruns: counted by the driver\n"
                "  itself)\n",
                static_cast<unsigned long long>(graph.cycles));
    std::printf("  and, over its finished cycles, the wait from its signal to waking up and its work, in us:\n");
    std::printf("    %-24s %-8s %8s %6s %6s %6s %8s %8s %8s %8s %8s %8s\n", "node", "role", "cycles", "late", "alone",
                "xruns", "wait p50", "p99", "max", "work p50", "p99", "max");
    uint64_t driverXruns = 0, programLate = 0, programAlone = 0, othersLate = 0;
    for (const auto &[name, counts] : graph.nodes) {
        const auto spread = [](std::vector<float> values) {
            std::vector<double> sorted(values.begin(), values.end());
            std::sort(sorted.begin(), sorted.end());
            return summarize(sorted);
        };
        const Summary wait = spread(counts.waitUs);
        const Summary busy = spread(counts.busyUs);
        std::printf("    %-24.24s %-8s %8llu %6llu %6llu %6llu %8.0f %8.0f %8.0f %8.0f %8.0f %8.0f\n", name.c_str(),
                    counts.driver ? "driver" : "follower", static_cast<unsigned long long>(counts.cycles),
                    static_cast<unsigned long long>(counts.late), static_cast<unsigned long long>(counts.alone),
                    static_cast<unsigned long long>(counts.xruns), wait.median, wait.p99, wait.max, busy.median,
                    busy.p99, busy.max);
        driverXruns += counts.xruns;
        (name == kProgramNode ? programLate : othersLate) += counts.late;
        if (name == kProgramNode) {
            programAlone = counts.alone;
        }
    }
    std::printf("  cycle lengths:");
    for (const auto &[frames, cycles] : graph.quanta) {
        std::printf(" %u frames x %llu;", frames, static_cast<unsigned long long>(cycles));
    }
    std::printf("\n");
    figures.push_back({key + ": xruns counted by the drivers", static_cast<double>(driverXruns), "xruns"});
    figures.push_back({key + ": late cycles of the program's stream", static_cast<double>(programLate), "cycles"});
    figures.push_back({key + ": late cycles of the program's stream, no other node late",
                       static_cast<double>(programAlone), "cycles"});
    figures.push_back({key + ": late cycles of the other nodes", static_cast<double>(othersLate), "cycles"});
}

void printSummary(const char *label, const Summary &s) {
    std::printf("  %-34s n=%-4zu median %6.2f  p95 %6.2f  p99 %6.2f  max %7.2f  min %6.2f ms\n", label, s.count,
                s.median, s.p95, s.p99, s.max, s.min);
}

void report(const std::string &server, const std::string &mode, const Options &options,
            const std::vector<Press> &presses, const RunResult &run, double offsetMs, std::vector<Figure> &figures) {
    OnsetOptions onsetOptions;
    onsetOptions.threshold = options.threshold;
    onsetOptions.soundOffsetMs = offsetMs;
    const std::vector<Onset> onsets = findOnsets(run.levels, run.mapping, run.pressedAt, onsetOptions);

    std::vector<double> all, afterPause, others;
    size_t missed = 0, unmeasurable = 0;
    for (size_t i = 0; i < onsets.size(); ++i) {
        if (onsets[i].unmeasurable) {
            ++unmeasurable;
            continue;
        }
        if (!onsets[i].heard) {
            ++missed;
            continue;
        }
        all.push_back(onsets[i].latencyMs);
        (presses[i].pauseBeforeMs >= kAfterPauseMs ? afterPause : others).push_back(onsets[i].latencyMs);
    }
    const Summary total = summarize(all);
    // Sounds in the capture over the presses, counted without the clock mapping (but for where to begin and
    // end): a check that a press reported missed or overlapped really had no sound.
    size_t sounds = 0;
    if (!run.pressedAt.empty()) {
        const double first = run.mapping.frameAt(static_cast<double>(run.pressedAt.front()) - 5e6);
        const double last = run.mapping.frameAt(static_cast<double>(run.pressedAt.back()) + 250e6);
        sounds = countSounds(run.levels, static_cast<size_t>(std::max(0.0, first)),
                             static_cast<size_t>(std::max(0.0, last)), options.threshold, kRate / 200);
    }
    const std::string title = mode == "floor" ? "rig floor (2 ms click stream)"
                                              : std::string("program, low latency ") + (mode == "on" ? "on" : "off");
    std::printf("\n== %s: %s%s\n", server.c_str(), title.c_str(), run.note.c_str());
    std::printf("  presses %zu, heard %zu, missed %zu, overlapped %zu; clock mapping from %zu reports, "
                "error %.3f ms (p5-p95), drift over the run %.3f ms\n",
                run.pressedAt.size(), all.size(), missed, unmeasurable, run.mapping.reports, run.mapping.spreadNs / 1e6,
                run.mapping.driftNs / 1e6);
    std::printf("  sounds in the capture over the presses (counted, no mapping): %zu\n", sounds);
    printSummary("key to sound", total);
    printSummary("  after a pause of 3 s or more", summarize(afterPause));
    printSummary("  all other presses", summarize(others));
    if (!options.quiet && !afterPause.empty()) {
        std::printf("  after each pause:");
        for (double value : afterPause) {
            std::printf(" %.2f", value);
        }
        std::printf(" ms\n");
    }

    const std::string key = server + ": " + (mode == "floor" ? "rig floor" : "key-to-sound, low latency " + mode) +
                            (options.rate > 0 ? ", " + number(options.rate) + " keys/s" : "");
    reportGraph(key, run, figures);
    figures.push_back({key + ": median", total.median, "ms"});
    figures.push_back({key + ": p95", total.p95, "ms"});
    figures.push_back({key + ": p99", total.p99, "ms"});
    figures.push_back({key + ": max", total.max, "ms"});
    figures.push_back({key + ": missed", static_cast<double>(missed + unmeasurable), "keys"});
    figures.push_back({key + ": presses without a sound in the capture (counted)",
                       static_cast<double>(run.pressedAt.size() - std::min(sounds, run.pressedAt.size())), "keys"});
    if (mode != "floor") {
        figures.push_back({key + ": worst after a pause", summarize(afterPause).max, "ms"});
    }

    const Breakdown parts = breakDown(run.trace.keys, run.pressedAt, onsets);
    if (options.list) {
        std::printf("  press  at s     pause ms  heard  latency ms  to render ms  residual ms\n");
        for (size_t i = 0; i < onsets.size(); ++i) {
            std::printf("  %5zu %8.3f %9.0f  %5s  %9.2f  %12.2f  %11.2f\n", i,
                        static_cast<double>(run.pressedAt[i] - run.pressedAt[0]) / 1e9, presses[i].pauseBeforeMs,
                        onsets[i].heard          ? "yes"
                        : onsets[i].unmeasurable ? "overlap"
                                                 : "no",
                        onsets[i].latencyMs, parts.toRenderOf[i], parts.residualOf[i]);
        }
    }
    if (mode == "floor") {
        return;
    }
    std::printf("  breakdown from the program's trace (%zu presses matched, %zu not):\n", parts.delivery.size(),
                parts.unmatched);
    printSummary("  delivery (press -> router)", summarize(parts.delivery));
    printSummary("  routing (router -> play returned)", summarize(parts.routing));
    printSummary("  to render (play -> first frame)", summarize(parts.toRender));
    printSummary("  queued (stream latency reported)", summarize(parts.queued));
    printSummary("  predicted (press -> heard)", summarize(parts.predicted));
    printSummary("  residual (measured - predicted)", summarize(parts.residual));
    figures.push_back({key + ": press to play() returned, median",
                       summarize(parts.delivery).median + summarize(parts.routing).median, "ms"});
    figures.push_back(
        {key + ": router + play() on the keyboard thread, median", summarize(parts.routing).median * 1e3, "us"});
    figures.push_back(
        {key + ": router + play() on the keyboard thread, p99", summarize(parts.routing).p99 * 1e3, "us"});
    figures.push_back({key + ": play() to first frame rendered, median", summarize(parts.toRender).median, "ms"});
    // Where a tail comes from: the key's way to the keyboard thread (X server, keyboard thread) or the audio
    // thread's turn.
    figures.push_back({key + ": press to keyboard thread, p99", summarize(parts.delivery).p99, "ms"});
    figures.push_back({key + ": play() to first frame rendered, p99", summarize(parts.toRender).p99, "ms"});
    figures.push_back({key + ": stream latency reported, median", summarize(parts.queued).median, "ms"});
}

// The capture of tc_out for one run: on PipeWire its own stream, whose every cycle dates its frames (its
// PulseAudio service's record stream reports latencies that do not hold still), else PulseAudio's monitor.
class Capture {
public:
    Capture(const Options &options, const std::vector<Press> &presses) {
        if (serverLabel() == "PipeWire") {
            // The whole run: start-up, settling, the presses and the time after them.
            graph_ = std::make_unique<GraphCapture>("tc_out", 60 + options.settleSeconds + presses.back().atMs / 1000);
        } else {
            pulse_ = std::make_unique<MonitorRecorder>("tc_out.monitor", kFragmentFrames);
        }
    }
    // Stops; the levels and their map to the monotonic clock.
    void finish(RunResult &run) {
        if (graph_) {
            run.levels = graph_->finish();
            run.mapping = graph_->mapping();
        } else {
            run.levels = pulse_->finish();
            run.mapping = pulse_->mapping();
        }
    }

private:
    std::unique_ptr<GraphCapture> graph_;
    std::unique_ptr<MonitorRecorder> pulse_;
};

RunResult runFloor(const Options &options, const std::vector<Press> &presses) {
    RunResult run;
    Capture capture(options, presses);
    ClickPlayer player(kFloorBufferFrames);
    harness::sleepMs(options.settleSeconds * 1000);
    std::ostringstream note;
    note << " (granted buffer " << player.grantedFrames() << " frames)";
    run.note = note.str();
    run.loadBefore = loadAverage();
    run.pressedAt = runSchedule(presses, harness::monotonicNs() + 100'000'000ull, [&](size_t) { player.click(); });
    harness::sleepMs(500);
    run.loadAfter = loadAverage();
    capture.finish(run);
    return run;
}

// How long each key is held: 30 ms, or half the gap between presses at a higher rate.
double holdMs(const Options &options) {
    return options.rate > 0 ? std::min(30.0, 500.0 / options.rate) : 30.0;
}

// No program: the rig as it is, watched for as long as the presses would take.
void runNone(const std::string &server, const Options &options, const std::vector<Press> &presses,
             std::vector<Figure> &figures) {
    RunResult run;
    // The graph as a run with the program has it, but for the program's stream: the capture runs too.
    Capture capture(options, presses);
    harness::sleepMs(options.settleSeconds * 1000);
    std::unique_ptr<GraphWatch> graph;
    if (options.graph) {
        graph = std::make_unique<GraphWatch>();
    }
    run.loadBefore = loadAverage();
    harness::sleepMs(presses.back().atMs + 600);
    run.loadAfter = loadAverage();
    if (graph) {
        run.graph = graph->report();
    }
    std::printf("\n== %s: no program, %.0f s\n", server.c_str(), (presses.back().atMs + 600) / 1000);
    reportGraph(server + ": no program", run, figures);
}

RunResult runProgram(const Options &options, const std::vector<Press> &presses, bool lowLatency) {
    RunResult run;
    Capture capture(options, presses);
    harness::AppProcess::Options appOptions;
    appOptions.program = options.program;
    appOptions.document.soundID = options.sound;
    appOptions.document.lowLatency = lowLatency;
    appOptions.cores = options.cores;
    harness::AppProcess app(appOptions);
    const auto ready = app.waitForMark("soundsReady", 30000);
    if (!ready) {
        throw std::runtime_error("the program did not report its sounds ready within 30 s");
    }
    {
        // The window opens at launch where there is no tray; a user types elsewhere with it closed.
        harness::WindowWatch windows;
        if (windows.waitForMappedWindow(app.pid(), 3000)) {
            windows.closeWindows(app.pid(), 3000);
        }
    }
    harness::sleepMs(options.settleSeconds * 1000);
    std::ostringstream note;
    note << " (sounds ready " << (static_cast<double>(*ready - app.startedAt()) / 1e6) << " ms after start)";
    run.note = note.str();

    KeyInjector keys;
    std::unique_ptr<GraphWatch> graph;
    if (options.graph) {
        graph = std::make_unique<GraphWatch>();
    }
    run.loadBefore = loadAverage();
    run.pressedAt = keys.play(presses, harness::monotonicNs() + 100'000'000ull, holdMs(options));
    harness::sleepMs(500);
    run.loadAfter = loadAverage();
    if (graph) {
        run.graph = graph->report();
    }
    app.stop();
    capture.finish(run);
    run.trace = harness::readTrace(app.tracePath());
    return run;
}

} // namespace

int main(int argc, char **argv) {
    const Options options = parse(argc, argv);
    try {
        const std::vector<Press> presses =
            options.rate > 0 ? makeSchedule(options.keys, 1000 / options.rate, 1000 / options.rate, 0, {}, options.seed)
                             : makeSchedule(options.keys, kMinGapMs, kMaxGapMs, kPauseEvery, kPausesMs, options.seed);
        std::vector<Figure> figures;
        const std::string server = serverLabel();
        for (const std::string &mode : options.modes) {
            if (mode == "none") {
                runNone(server, options, presses, figures);
            } else if (mode == "floor") {
                report(server, mode, options, presses, runFloor(options, presses), 0.0, figures);
            } else {
                const double offset = soundOffsetMs(options.sound, options.threshold);
                report(server, mode, options, presses, runProgram(options, presses, mode == "on"), offset, figures);
            }
            std::fflush(stdout);
        }
        std::printf("\n");
        for (const Figure &figure : figures) {
            std::printf("figure\t%s\t%.3f\t%s\n", figure.name.c_str(), figure.value, figure.unit.c_str());
        }
    } catch (const std::exception &error) {
        std::cerr << "latency-probe: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
