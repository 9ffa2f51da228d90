#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tc {

// Turns a stored shortcut (key code and modifier flags) into the short texts drawn on key caps: one
// glyph per held modifier, then one name for the key. Pure functions, safe from any thread.
namespace ShortcutFormatter {

// The glyphs of the held modifiers, always in the order control "⌃", option "⌥", shift "⇧",
// command "⌘"; every other bit is ignored.
std::vector<std::string> symbols(std::uint64_t modifiers);

// A glyph for Return, Tab, Delete and the arrows, "Space", "esc", else KeyLayout::label(code).
std::string keyLabel(std::uint16_t code);

} // namespace ShortcutFormatter

} // namespace tc
