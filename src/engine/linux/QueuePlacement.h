#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tc {

// How PulseAudioOutput finds the earliest frame of its queue that the sound server has not taken yet, which is
// where a new sound starts. The output asks the server what it is once connected and keeps one strategy for
// the connection.
//
// PulseAudio (sinkLatency): the stream's queue stays in the server until its sink takes it, in blocks of up to
// the sink's configured latency ahead of the frame being played. So the first frame the server still holds is
// the frame being played plus configured_sink_usec, and a seek back to there replaces data in the server's
// queue.
//
// PipeWire's PulseAudio service (serverQuantum), as found on pipewire-pulse 0.3.65:
// - it names itself "PulseAudio (on PipeWire 0.3.65)" with a PulseAudio-like version ("15.0.0");
// - a negative seek is honoured: the data replaces what its ring buffer holds, as long as the place is not
//   behind the ring's read position (data written there is lost);
// - the graph takes the stream's data one quantum at a time (256 frames for PulseAudio clients by default,
//   1024 on some virtual machines; pulse.min.quantum), so the read position in the timing reports moves in
//   whole quanta and the sink latency it reports is 0;
// - configured_sink_usec is right (one quantum) until the server enlarges the stream's buffer, which it does
//   for the 128-frame request of the low-latency mode: from then on it is eight times too large (42.67 ms for a
//   256-frame quantum: a length in bytes taken as frames) and it only ever grows, also when the quantum does.
// So on PipeWire a new sound starts at the first frame the graph has not taken yet when the sound reaches the
// server: the next block the graph takes carries it. Which frame that is follows from the read positions and
// the moments of the timing reports (ServerReadClock), so a quantum that changes while the stream is open is
// followed within a few seconds.
enum class PlacementStrategy { sinkLatency, serverQuantum };

// The strategy for a server, from its name and version as the server reports them (pa_server_info). Any
// server that says it runs on PipeWire gets serverQuantum; every other one is taken at its word.
PlacementStrategy placementStrategyFor(std::string_view serverName, std::string_view serverVersion);

// What a timing report said of where the stream plays: the frame the server had read, the frames of it in its
// sink then, whether the stream played, and when it said so (microseconds).
struct ReportedPlay {
    uint64_t readFrame = 0;
    uint64_t sinkFrames = 0;
    bool playing = false;
    int64_t timeUs = 0;
};

// The stream's frame being played at `nowUs` (a moment after the report), or a later one, never an earlier one:
// a sound placed from there on is not where the sink has taken data already. A playing stream has gone on since
// the report. One that did not play then starts where the sink first reads: it stays there while `held` (corked by
// the output, which places the sounds before it lets the stream go), and otherwise may have started at any moment
// since the report or since `resumedUs`, whichever is later: a fresh stream once the server holds enough of it, a
// moved one once its new sink runs (PipeWire stops a stream while it moves it, and reports it so).
uint64_t framePlayedAt(const ReportedPlay &report, int64_t nowUs, bool held, int64_t resumedUs) noexcept;

// When PipeWire's graph takes the stream's data, learned from the server's timing reports: each says how far
// the server has read (always a whole number of quanta) and when it said so.
// - Every step between two reports is a whole number of quanta, so the greatest common divisor of the recent
//   steps is the quantum or a multiple of it; the largest power of two dividing it is PipeWire's quantum
//   unless every step was an even number of quanta. The reports must come at varied moments for that (see
//   PulseAudioOutput): equal steps leave the quantum unknown.
// - The read position jumps by one quantum at each cycle of the graph, at a steady pace, and each report came
//   after the jump to its position and, unless the server was late for that cycle, less than a quantum
//   after it. So the reports that came soonest after a jump and soonest before the next bound when the jumps
//   are due. Counting the jumps at the sooner of the two bounds (the first less an eighth of a quantum) errs
//   on the side of a jump that has come already, so a sound is not placed where the graph has taken its data
//   (at worst it waits one cycle more).
// From both follows the first frame the server has not taken yet at a given moment: a sound written there
// before the next jump goes with it. Only the last kWindow reports count, so a changed quantum or a drifting
// clock is followed within a few seconds; a report that does not fit the pace (the stream ran dry and
// waited, the server stalled) starts the timing over with the quantum kept.
//
// Loop thread only; no allocation.
class ServerReadClock {
public:
    static constexpr size_t kWindow = 16;
    // Until the reports tell: PipeWire's largest usual quantum for PulseAudio clients.
    static constexpr uint32_t kUnknownFrames = 1024;
    static constexpr uint32_t kMinFrames = 16;   // PipeWire's smallest quantum
    static constexpr uint32_t kMaxFrames = 8192; // its largest
    // Reports needed before the quantum is trusted. The moments of the jumps need one report at the present
    // pace of the cycle, and grow more exact with more.
    static constexpr size_t kTimedReports = 12;

    // A timing report while the stream plays: the read position in frames since the stream began, and the
    // moment the server gave it, in microseconds.
    void addReport(int64_t timeUs, uint64_t readFrame) noexcept;
    void reset() noexcept;
    // The quantum, in frames: kUnknownFrames until two steps of different lengths were seen (or when the
    // steps since do not fit it), else a power of two within kMinFrames to kMaxFrames.
    uint32_t quantumFrames() const noexcept { return quantum_; }
    // The first frame the server will not have taken yet at `timeUs` (a moment after the last report); absent
    // while the quantum is unknown or fewer than kTimedReports reports came.
    std::optional<uint64_t> firstUntakenFrame(int64_t timeUs) const noexcept;

private:
    struct Report {
        int64_t timeUs;
        uint64_t readFrame;
        double offset; // frames: time × rate − read position
    };
    void update() noexcept;
    const Report &at(size_t i) const noexcept {
        return reports_[(next_ + reports_.size() - count_ + i) % reports_.size()];
    }

    std::array<Report, kWindow> reports_{}; // a ring of the last reports; at(0) is the oldest
    size_t count_ = 0;                      // reports in the ring
    size_t timed_ = 0;                      // the newest of them that fit one pace of the cycle
    size_t next_ = 0;
    uint32_t quantum_ = kUnknownFrames;
    bool known_ = false;
    double earliest_ = 0; // the smallest offset of the timed reports
    double latest_ = 0;   // the largest of those within a quantum of it
};

} // namespace tc
