#include "app/AppTypes.h"

namespace tc {

namespace {

constexpr std::array<std::string_view, 5> kSectionNames = {"keyboard", "sounds", "triggers", "apps", "settings"};
constexpr std::array<std::string_view, 4> kToolNames = {"select", "paint", "reset", "test"};

} // namespace

std::string toString(AppSection section) {
    return std::string(kSectionNames.at(static_cast<std::size_t>(section)));
}

std::optional<AppSection> appSectionFromString(std::string_view text) {
    for (auto section : allAppSections) {
        if (kSectionNames[static_cast<std::size_t>(section)] == text) {
            return section;
        }
    }
    return std::nullopt;
}

std::string toString(EditTool tool) {
    return std::string(kToolNames.at(static_cast<std::size_t>(tool)));
}

std::optional<EditTool> editToolFromString(std::string_view text) {
    for (auto tool : allEditTools) {
        if (kToolNames[static_cast<std::size_t>(tool)] == text) {
            return tool;
        }
    }
    return std::nullopt;
}

std::string SoundPickerTarget::id() const {
    if (const auto *keys = asKeys()) {
        std::string text = "keys-[";
        bool first = true;
        for (auto code : keys->codes) { // a std::set iterates in ascending order
            if (!first) {
                text += ", ";
            }
            text += std::to_string(code);
            first = false;
        }
        return text + "]";
    }
    if (const auto *trigger = asTrigger()) {
        return "trigger-" + trigger->id.toString();
    }
    return "brush";
}

} // namespace tc
