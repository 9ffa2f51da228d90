#include "engine/linux/QueuePlacement.h"

#include "engine/AudioBuffer.h"

#include <algorithm>
#include <numeric>

namespace tc {

namespace {
constexpr double kRate = AudioBuffer::kSampleRate;
} // namespace

PlacementStrategy placementStrategyFor(std::string_view serverName, std::string_view) {
    // pipewire-pulse reports a PulseAudio version of its own choosing ("15.0.0" on 0.3.65), so the name is what
    // tells: "PulseAudio (on PipeWire 0.3.65)". Every PipeWire version seen so far takes its data by quanta.
    return serverName.find("PipeWire") != std::string_view::npos ? PlacementStrategy::serverQuantum
                                                                 : PlacementStrategy::sinkLatency;
}

void ServerReadClock::reset() noexcept {
    count_ = 0;
    timed_ = 0;
    next_ = 0;
    quantum_ = kUnknownFrames;
    known_ = false;
}

uint64_t framePlayedAt(const ReportedPlay &report, int64_t nowUs, bool held, int64_t resumedUs) noexcept {
    const auto framesSince = [nowUs](int64_t fromUs) {
        return static_cast<uint64_t>(std::max<int64_t>(0, nowUs - fromUs) * AudioBuffer::kSampleRate / 1'000'000);
    };
    if (report.playing) {
        const uint64_t ahead = std::min(report.sinkFrames, report.readFrame);
        return report.readFrame - ahead + framesSince(report.timeUs);
    }
    return held ? report.readFrame : report.readFrame + framesSince(std::max(report.timeUs, resumedUs));
}

void ServerReadClock::addReport(int64_t timeUs, uint64_t readFrame) noexcept {
    const double offset = static_cast<double>(timeUs) * kRate / 1e6 - static_cast<double>(readFrame);
    if (count_ > 0) {
        if (readFrame < at(count_ - 1).readFrame) {
            reset(); // a new stream
        } else if (known_ && (offset > earliest_ + 2.0 * quantum_ || offset < earliest_ - quantum_)) {
            // Every offset lies within one quantum of the earliest, or a little more when the server was late
            // for a cycle: the stream waited (it ran dry, the server stalled) or the quantum changed, and it
            // goes on at another moment of the cycle. The steps still tell the quantum.
            timed_ = 0;
        }
    }
    reports_[next_] = {timeUs, readFrame, offset};
    next_ = (next_ + 1) % reports_.size();
    count_ = count_ < reports_.size() ? count_ + 1 : count_;
    timed_ = timed_ < reports_.size() ? timed_ + 1 : timed_;
    update();
}

void ServerReadClock::update() noexcept {
    uint64_t divisor = 0;
    uint64_t firstStep = 0;
    bool varied = false;
    for (size_t i = 1; i < count_; ++i) {
        const uint64_t step = at(i).readFrame - at(i - 1).readFrame;
        if (step == 0) {
            continue;
        }
        varied = varied || (firstStep != 0 && step != firstStep);
        firstStep = firstStep == 0 ? step : firstStep;
        divisor = std::gcd(divisor, step);
    }
    // Equal steps say only that the quantum divides them (a quantum learned before stays); a common step that
    // is no plausible quantum (the server read part of one) is not trusted; one above the largest quantum is a
    // multiple of the real one.
    if (varied) {
        // PipeWire's quanta are powers of two. A quantum taken too large would count the jumps too late, one
        // too small only makes some sounds wait for the next cycle: so the largest power of two dividing the
        // steps, which is a multiple of the quantum only when every step is an even number of quanta.
        const uint64_t power = divisor & (~divisor + 1);
        known_ = power >= kMinFrames;
        quantum_ = known_ ? static_cast<uint32_t>(std::min<uint64_t>(power, kMaxFrames)) : kUnknownFrames;
    } else if (known_ && divisor % quantum_ != 0) {
        known_ = false;
        quantum_ = kUnknownFrames;
    }
    earliest_ = at(count_ - 1).offset;
    for (size_t i = count_ - timed_; i < count_; ++i) {
        earliest_ = std::min(earliest_, at(i).offset);
    }
    // A report from a cycle the server was late for may lie more than a quantum after the earliest: it says
    // nothing about when the jumps are due.
    latest_ = earliest_;
    for (size_t i = count_ - timed_; i < count_; ++i) {
        if (at(i).offset < earliest_ + quantum_) {
            latest_ = std::max(latest_, at(i).offset);
        }
    }
}

std::optional<uint64_t> ServerReadClock::firstUntakenFrame(int64_t timeUs) const noexcept {
    if (!known_ || count_ < kTimedReports || timed_ == 0) {
        return std::nullopt;
    }
    // Each report came after the jump to its read position and, unless the server was late for that cycle,
    // less than a quantum after it. So the jumps are due no sooner than the earliest offset says, and no later
    // than a quantum before the latest: the earliest of several reports at varied moments came soon after its
    // jump (mostly within a few hundredths of a quantum), the latest soon before the next one. Counting the
    // jumps from the sooner of an eighth of a quantum before the first bound and a sixteenth before the second
    // errs on the side of a jump that has come already (the sound then waits one cycle more); to count one too
    // late, the earliest report would have to be far from its jump and the server more than a sixteenth of a
    // quantum late for a cycle at once.
    const Report &last = at(count_ - 1);
    const double phase = std::min(earliest_ - quantum_ / 8.0, latest_ - quantum_ - quantum_ / 16.0);
    const double reached = static_cast<double>(timeUs) * kRate / 1e6 - phase;
    const double after = reached - static_cast<double>(last.readFrame);
    return last.readFrame + quantum_ * static_cast<uint64_t>(std::max(0.0, after) / quantum_);
}

} // namespace tc
