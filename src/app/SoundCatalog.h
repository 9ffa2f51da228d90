#pragma once

#include "engine/SoundLookup.h"
#include "model/SoundItem.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// What the application model does with the sound library: list the built-in sounds, fill the cache at
// start-up, import and delete user sounds, and look sounds up. The program passes the real library; tests
// pass a fake.
//
// Thread: preloadBuiltins() and loadUserSound() run on a background thread; loaded() on any thread; the
// rest on the main thread. Implementations guard their cache themselves.
class SoundCatalog : public SoundLookup {
public:
    // The built-in sounds in listing order (synthesized first, then the recordings), duration 0.
    virtual const std::vector<SoundItem> &builtinItems() const = 0;
    // Caches every built-in sound not cached yet.
    virtual void preloadBuiltins() = 0;
    // Decodes a user sound's file and caches it; null when it has no file or does not decode.
    virtual LoadedSoundPtr loadUserSound(const SoundItem &item) = 0;
    // Imports an audio file as a new user sound (copied into the sounds folder, cached) named `name`, else
    // after the file. Throws an exception whose what() is the message for the user; nothing is kept then.
    virtual SoundItem importFile(const std::filesystem::path &path, const std::optional<std::string> &name) = 0;
    // Removes a user sound's file and its cache entry.
    virtual void deleteFile(const SoundItem &item) = 0;
    virtual std::filesystem::path soundsFolder() const = 0;
};

} // namespace tc
