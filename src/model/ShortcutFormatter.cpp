#include "model/ShortcutFormatter.h"

#include "model/KeyCodes.h"
#include "model/KeyLayout.h"
#include "model/Modifiers.h"

#include <string_view>
#include <utility>

namespace tc::ShortcutFormatter {

std::vector<std::string> symbols(std::uint64_t modifiers) {
    // The conventional reading order of shortcut glyphs, not the order of the bits.
    static constexpr std::pair<std::uint64_t, std::string_view> kGlyphs[] = {
        {Modifiers::kControl, "⌃"}, {Modifiers::kOption, "⌥"}, {Modifiers::kShift, "⇧"}, {Modifiers::kCommand, "⌘"}};
    std::vector<std::string> result;
    for (const auto &[bit, glyph] : kGlyphs) {
        if ((modifiers & bit) != 0) {
            result.emplace_back(glyph);
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

} // namespace tc::ShortcutFormatter
