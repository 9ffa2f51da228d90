#pragma once

#include "model/KeyAssignment.h"
#include "model/Uuid.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tc {

// The colour a profile is shown in.
enum class ProfileColor { white, yellow, blue, red, black, green };

// Every colour in listing order.
inline constexpr std::array<ProfileColor, 6> kAllProfileColors = {ProfileColor::white, ProfileColor::yellow,
                                                                  ProfileColor::blue,  ProfileColor::red,
                                                                  ProfileColor::black, ProfileColor::green};

// The stored raw value ("white", ...) and back; an unknown text gives nullopt.
std::string toString(ProfileColor color);
std::optional<ProfileColor> profileColorFromString(std::string_view text);

// One sound profile (the screens also call it a pack): a base sound for every key plus the keys
// that have a sound of their own.
struct Profile {
    Uuid id;
    std::string name; // shown to the user; not necessarily unique
    ProfileColor color = ProfileColor::white;
    std::string baseSoundID; // what a key without its own assignment plays; "none" is silence
    // Keyed by the decimal text of a virtual key code ("49" is Space). Keys missing here play the base
    // sound; a member that is not such a text is kept but never matches a key.
    std::map<std::string, KeyAssignment> keys;

    // The key's own assignment, looked up by the exact decimal text of the code. No folding of codes
    // happens here: callers that want right Control to share left Control's sound fold first.
    std::optional<KeyAssignment> assignment(std::uint16_t code) const;

    friend bool operator==(const Profile &, const Profile &) = default;
};

} // namespace tc
