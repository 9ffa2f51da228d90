#pragma once

#include "engine/OutputVolume.h"
#include "engine/linux/PulseWatchConnection.h"

#include <memory>

namespace tc {

// The default output's mute and volume, from the PulseAudio server: kept current from the server's sink and
// server events on its own connection and thread, so isSilent() reads a cached answer. Follows changes of the
// default sink and the server going away and coming back. While the server cannot be reached the output is not
// silent (logged once).
class PulseOutputVolume final : public OutputVolume {
public:
    explicit PulseOutputVolume(PulseWatchOptions options = {});
    ~PulseOutputVolume() override;
    bool isSilent() const override;

    // Whether the server was reached and the state is known (for tests and diagnostics).
    bool connected() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tc
