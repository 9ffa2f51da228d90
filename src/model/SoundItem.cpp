#include "model/SoundItem.h"

namespace tc {

namespace {

constexpr std::array<std::string_view, 6> kCategoryNames = {"mechanical", "memes",    "animals",
                                                            "retro",      "everyday", "mine"};

} // namespace

std::string toString(SoundCategory category) {
    return std::string(kCategoryNames.at(static_cast<std::size_t>(category)));
}

std::optional<SoundCategory> soundCategoryFromString(std::string_view text) {
    for (auto category : kAllSoundCategories) {
        if (kCategoryNames[static_cast<std::size_t>(category)] == text) {
            return category;
        }
    }
    return std::nullopt;
}

} // namespace tc
