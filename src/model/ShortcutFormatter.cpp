#include "model/ShortcutFormatter.h"

#include "model/KeyCodes.h"
#include "model/KeyLayout.h"
#include "model/Modifiers.h"

#include <string_view>
#include <utility>

namespace tc::ShortcutFormatter {

std::vector<std::string> symbols(std::uint64_t modifiers) {
    // The conventional reading order of shortcut modifiers, not the order of the bits. Command is the key
    // a PC keyboard calls Super (the one with the system's logo).
    static constexpr std::pair<std::uint64_t, std::string_view> kNames[] = {{Modifiers::kControl, "Ctrl"},
                                                                            {Modifiers::kOption, "Alt"},
                                                                            {Modifiers::kShift, "Shift"},
                                                                            {Modifiers::kCommand, "Super"}};
    std::vector<std::string> result;
    for (const auto &[bit, name] : kNames) {
        if ((modifiers & bit) != 0) {
            result.emplace_back(name);
        }
    }
    return result;
}

std::string keyLabel(std::uint16_t code) {
    switch (code) {
    case KeyCodes::kReturn:
        return "↩";
    case KeyCodes::kTab:
        return "⇥";
    case KeyCodes::kSpace:
        return "Space";
    case KeyCodes::kDelete:
        return "⌫";
    case KeyCodes::kEsc:
        return "esc";
    case KeyCodes::kLeft:
        return "←";
    case KeyCodes::kRight:
        return "→";
    case KeyCodes::kDown:
        return "↓";
    case KeyCodes::kUpDown:
        return "↑";
    default:
        return KeyLayout::label(code);
    }
}

std::string text(std::uint64_t modifiers, std::uint16_t code) {
    std::string result;
    for (const std::string &name : symbols(modifiers)) {
        result += name;
        result += '+';
    }
    return result + keyLabel(code);
}

} // namespace tc::ShortcutFormatter
