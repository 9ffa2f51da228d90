#pragma once

#include "engine/SoundLookup.h"

#include <initializer_list>
#include <map>
#include <mutex>
#include <string>

namespace tc {

// A SoundLookup over sounds the test puts in. Each sound made by addSound() has one small, distinct buffer
// per role it was given, so a test can tell from a recorded play which sound and which take played
// (describe()). Thread: any; guarded by its own lock.
class FakeSoundLookup : public SoundLookup {
public:
    LoadedSoundPtr loaded(const std::string &id) const override;

    // Puts a sound in under its item's id, replacing any earlier one.
    void add(LoadedSoundPtr sound);
    // Makes and puts in a sound with one take for each of the roles (none: a sound without takes).
    LoadedSoundPtr addSound(const std::string &id, SoundCategory category,
                            std::initializer_list<SoundSynth::Role> roles = {SoundSynth::Role::down});
    void remove(const std::string &id);

    // The first take of the sound's own list for the role, or null.
    AudioBufferPtr take(const std::string &id, SoundSynth::Role role) const;
    // "id/role" for a take of a sound in the lookup ("rec.click/down"), else "?".
    std::string describe(const AudioBufferPtr &buffer) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, LoadedSoundPtr> sounds_;
};

} // namespace tc
