#pragma once

#include "engine/MicrophoneActivitySource.h"
#include "engine/linux/PulseWatchConnection.h"

#include <memory>

namespace tc {

// Whether any application records from a microphone, from the PulseAudio server: in use while some uncorked
// source-output records from a source that is not a monitor of a sink. Peak-detect streams (volume meters)
// do not count. Kept current from the server's source-output events on its own connection and thread;
// follows the server when it goes away and comes back. While the server cannot be reached no microphone is in
// use (logged once).
class PulseMicrophoneActivity final : public MicrophoneActivitySource {
public:
    explicit PulseMicrophoneActivity(PulseWatchOptions options = {});
    ~PulseMicrophoneActivity() override;
    bool microphoneInUse() const override;

    // Whether the server was reached and the state is known (for tests and diagnostics).
    bool connected() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tc
