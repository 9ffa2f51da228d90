#pragma once

#include "engine/LoadedSound.h"

#include <string>

namespace tc {

// Finds a cached, ready-to-play sound by id. Implemented by the sound library; the router and the previews
// only ever look sounds up through it, so nothing is decoded on the key path.
// Thread: any (the key thread included); implementations lock only their cache.
class SoundLookup {
public:
    virtual ~SoundLookup() = default;
    // The cached sound, or null when the id is not cached. Never decodes.
    virtual LoadedSoundPtr loaded(const std::string &id) const = 0;
};

} // namespace tc
