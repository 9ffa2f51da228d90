#include "model/Profile.h"

#include "model/KeyCodes.h"

namespace tc {

namespace {

constexpr std::array<std::string_view, 6> kColorNames = {"white", "yellow", "blue", "red", "black", "green"};

} // namespace

std::string toString(ProfileColor color) {
    return std::string(kColorNames.at(static_cast<std::size_t>(color)));
}

std::optional<ProfileColor> profileColorFromString(std::string_view text) {
    for (auto color : kAllProfileColors) {
        if (kColorNames[static_cast<std::size_t>(color)] == text) {
            return color;
        }
    }
    return std::nullopt;
}

std::optional<KeyAssignment> Profile::assignment(std::uint16_t code) const {
    const auto it = keys.find(KeyCodes::text(code));
    if (it == keys.end()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace tc
