#include "model/ShortcutFormatter.h"

#include "model/KeyLayout.h"
#include "model/Modifiers.h"

#include <string_view>
#include <utility>

namespace tc::ShortcutFormatter {

std::vector<std::string> symbols(std::uint64_t modifiers) {
    // The conventional reading order of shortcut glyphs, not the order of the bits.
    static constexpr std::pair<std::uint64_t, std::string_view> kGlyphs[] = {
        {Modifiers::control, "⌃"}, {Modifiers::option, "⌥"}, {Modifiers::shift, "⇧"}, {Modifiers::command, "⌘"}};
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
    case 36:
        return "↩";
    case 48:
        return "⇥";
    case 49:
        return "Space";
    case 51:
        return "⌫";
    case 53:
        return "esc";
    case 123:
        return "←";
    case 124:
        return "→";
    case 125:
        return "↓";
    case 126:
        return "↑";
    default:
        return KeyLayout::label(code);
    }
}

} // namespace tc::ShortcutFormatter
