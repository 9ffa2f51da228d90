#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tc {

// Turns a stored shortcut (key code and modifier flags) into the texts that name it, as a PC keyboard and the
// desktop's menus do: one name per held modifier, then one name for the key, each drawn on its own key cap, or
// joined by "+" in running text ("Ctrl+Alt+K"). Pure functions, safe from any thread.
namespace ShortcutFormatter {

// The names of the held modifiers, always in the order control "Ctrl", option "Alt", shift "Shift",
// command "Super"; every other bit is ignored.
std::vector<std::string> symbols(std::uint64_t modifiers);

// A glyph for Return, Tab, Backspace and the arrows, "Space", "esc", else KeyLayout::label(code).
std::string keyLabel(std::uint16_t code);

// The shortcut in running text: the modifiers' names and the key's label joined by "+" ("Ctrl+Shift+F").
std::string text(std::uint64_t modifiers, std::uint16_t code);

} // namespace ShortcutFormatter

} // namespace tc
