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
    next_ = 0;
    quantum_ = kUnknownFrames;
    known_ = false;
}

void ServerReadClock::addReport(int64_t timeUs, uint64_t readFrame) noexcept {
    const double offset = static_cast<double>(timeUs) * kRate / 1e6 - static_cast<double>(readFrame);
    if (count_ > 0) {
        // In a steady stream every offset lies within one quantum of the others.
        const double span = known_ ? quantum_ : kMaxFrames;
        if (readFrame < at(count_ - 1).readFrame || offset > earliest_ + span || offset < latest_ - span) {
            reset();
        }
    }
    reports_[next_] = {timeUs, readFrame, offset};
    next_ = (next_ + 1) % reports_.size();
    count_ = count_ < reports_.size() ? count_ + 1 : count_;
    update();
}

void ServerReadClock::update() noexcept {
    uint64_t divisor = 0;
    uint64_t firstStep = 0;
    bool varied = false;
    earliest_ = at(0).offset;
    latest_ = at(0).offset;
    for (size_t i = 1; i < count_; ++i) {
        earliest_ = std::min(earliest_, at(i).offset);
        latest_ = std::max(latest_, at(i).offset);
        const uint64_t step = at(i).readFrame - at(i - 1).readFrame;
        if (step == 0) {
            continue;
        }
        varied = varied || (firstStep != 0 && step != firstStep);
        firstStep = firstStep == 0 ? step : firstStep;
        divisor = std::gcd(divisor, step);
    }
    // Equal steps say only that the quantum divides them; a common step that is no plausible quantum (the
    // server read part of one) is not trusted; one above the largest quantum is a multiple of the real one.
    known_ = varied && divisor >= kMinFrames;
    quantum_ = known_ ? static_cast<uint32_t>(std::min<uint64_t>(divisor, kMaxFrames)) : kUnknownFrames;
}

std::optional<uint64_t> ServerReadClock::firstUntakenFrame(int64_t timeUs) const noexcept {
    if (!known_) {
        return std::nullopt;
    }
    // The read position jumps to R + n quanta (R the last report's) when time × rate reaches them plus
    // latest_ - one quantum, or later: a jump counted too soon only makes the sound wait one cycle more.
    const Report &last = at(count_ - 1);
    const double reached = static_cast<double>(timeUs) * kRate / 1e6 - (latest_ - quantum_);
    const double after = reached - static_cast<double>(last.readFrame);
    return last.readFrame + quantum_ * static_cast<uint64_t>(std::max(0.0, after) / quantum_);
}

} // namespace tc
