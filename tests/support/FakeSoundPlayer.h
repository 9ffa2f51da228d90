#pragma once

#include "engine/SoundPlayer.h"

#include <mutex>
#include <vector>

namespace tc {

// A SoundPlayer that plays nothing and records every call, for tests of whatever plays sounds.
// Thread: any; the record is guarded by its own lock.
class FakeSoundPlayer : public SoundPlayer {
public:
    struct Play {
        AudioBufferPtr buffer;
        float volume = 0.0f;
        float rate = 0.0f;
        float pan = 0.0f;
    };

    void play(const AudioBufferPtr &buffer, float volume, float rate, float pan) override;

    // Every call so far, oldest first.
    std::vector<Play> plays() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Play> plays_;
};

} // namespace tc
