#pragma once

#include "engine/AudioBuffer.h"
#include "engine/SoundRole.h"
#include "model/SoundItem.h"

#include <map>
#include <memory>
#include <vector>

namespace tc {

// A sound ready to play: its catalogue entry, its takes per key role and the waveform of its first
// key-down take. Made once by the sound library and never changed, so it is shared by reference between the
// cache, the key thread and the views.
class LoadedSound {
public:
    using Takes = std::map<SoundSynth::Role, std::vector<AudioBufferPtr>>;

    LoadedSound(SoundItem item, Takes takes, std::vector<float> peaks);

    const SoundItem &item() const { return item_; }
    const Takes &takes() const { return takes_; }
    const std::vector<float> &peaks() const { return peaks_; } // 64 values, 0 to 1

    // One take for the role: the role's own list, else for `enter` the `wide` list, else the `down` list;
    // a random member of that list. Null when there is none. Safe on the key thread (no locks, no allocation).
    AudioBufferPtr buffer(SoundSynth::Role role) const;

private:
    SoundItem item_;
    Takes takes_;
    std::vector<float> peaks_;
};

using LoadedSoundPtr = std::shared_ptr<const LoadedSound>;

} // namespace tc
