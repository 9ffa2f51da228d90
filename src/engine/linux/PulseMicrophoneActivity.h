#pragma once

#include "engine/MicrophoneActivitySource.h"

#include <memory>

namespace tc {

// Whether any application records from a microphone, from the PulseAudio server: in use while some uncorked
// source-output records from a source that is not a monitor of a sink. Peak-detect streams (volume meters)
// do not count. Kept current from the server's source-output events on its own connection and thread;
// follows the server when it goes away and comes back.
class PulseMicrophoneActivity final : public MicrophoneActivitySource {
public:
    PulseMicrophoneActivity();
    ~PulseMicrophoneActivity() override;
    bool microphoneInUse() const override;

    // Whether the server was reached and the state is known (for tests and diagnostics).
    bool connected() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tc
