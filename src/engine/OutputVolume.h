#pragma once

namespace tc {

// Whether the system's own output is muted or nearly silent, to explain silent key presses.
class OutputVolume {
public:
    // Below this fraction of normal volume the output counts as silent.
    static constexpr double kSilentBelow = 0.01;

    virtual ~OutputVolume() = default;

    // True when the default output is muted or its loudest channel is below kSilentBelow of normal volume.
    // Answered from a cache the backend keeps current; never blocks. Any thread. False when the backend
    // cannot tell (no sound server, an output without volume control).
    virtual bool isSilent() const = 0;

    // The rule itself: `loudest` is the loudest channel's volume as a fraction of normal volume (1.0).
    static bool silentFor(bool muted, double loudest) { return muted || loudest < kSilentBelow; }
};

// The output when no sound server is reachable: never silent.
class NullOutputVolume final : public OutputVolume {
public:
    bool isSilent() const override { return false; }
};

} // namespace tc
