#pragma once

#include "model/Profile.h"
#include "model/SoundItem.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

// Everything the sound router plays from: an immutable snapshot that the application model derives from the
// document and the live state (frontmost application, smart mute) and hands to the router whole whenever
// any of it changes. The router never reads the document itself.
//
// A default-constructed value is the router's own start-up configuration: sounds on, not muted, master volume
// 0.8, stereo spread on, and no profile, so nothing plays before the model pushes its first snapshot.
struct RuntimeConfig {
    // A keyboard shortcut that plays a sound instead of the key's own.
    struct ShortcutTrigger {
        std::uint16_t code = 0;      // the key code as the keyboard reports it (not folded)
        std::uint64_t modifiers = 0; // only the bits of Modifiers::kShortcutMask (0x1E0000)
        std::string soundID;

        friend bool operator==(const ShortcutTrigger &, const ShortcutTrigger &) = default;
    };

    bool enabled = true;            // sounds on
    bool muted = false;             // smart mute or an app rule silences playback now
    float masterVolume = 0.8f;      // 0 to 1
    bool stereoSpread = true;       // place keys left to right
    std::optional<Profile> profile; // the profile that plays; absent when nothing should play
    // Enabled triggers that apply to the frontmost application, in the order the model listed them.
    std::vector<ShortcutTrigger> shortcutTriggers;
    // Lower-cased word to sound id.
    std::unordered_map<std::string, std::string> wordTriggers;
    // Words longer than the router keeps of what is typed (TypedWord::kMaxCharacters characters), by their
    // last kMaxCharacters characters; looked up only when the word typed outgrew that.
    std::unordered_map<std::string, std::string> longWordTriggers;
    // The sounds a random-within-category key draws from; the mechanical category is left out.
    std::map<SoundCategory, std::vector<std::string>> categoryPools;
    // Sound id to its category, for every sound in the pools.
    std::unordered_map<std::string, SoundCategory> categoryOf;

    friend bool operator==(const RuntimeConfig &, const RuntimeConfig &) = default;
};

} // namespace tc
