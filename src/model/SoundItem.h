#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tc {

// The family a sound belongs to; `mine` holds the user's own sounds.
enum class SoundCategory { mechanical, memes, animals, retro, everyday, mine };

// Every category in listing order.
inline constexpr std::array<SoundCategory, 6> kAllSoundCategories = {SoundCategory::mechanical, SoundCategory::memes,
                                                                     SoundCategory::animals,    SoundCategory::retro,
                                                                     SoundCategory::everyday,   SoundCategory::mine};

// The stored raw value ("mechanical", ...) and back; an unknown text gives nullopt.
std::string toString(SoundCategory category);
std::optional<SoundCategory> soundCategoryFromString(std::string_view text);

// One catalogue entry of a sound. Sound ids: "synth." and "rec." for built-in sounds, "user." followed
// by a UUID for the user's own.
struct SoundItem {
    std::string id;
    std::string name; // shown to the user
    SoundCategory category = SoundCategory::mine;
    std::optional<std::string> fileName; // the file inside the sounds folder; absent for built-in sounds
    double duration = 0.0;               // seconds

    friend bool operator==(const SoundItem &, const SoundItem &) = default;
};

} // namespace tc
