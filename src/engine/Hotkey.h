#pragma once

#include "model/KeyCodes.h"
#include "model/Modifiers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// The program's global hotkeys, seen by the sound router on every key down: one turns sounds on or off, the
// other switches to the next profile. Their chords are in kHotkeyChords.
enum class Hotkey { toggleSounds, nextProfile };

// The chord that fires a hotkey: its key with exactly these shortcut modifiers held (caps lock does not count;
// an extra shift or command makes another chord). The one definition the router, the shortcut recorder's
// refusal and every text that names a hotkey read.
struct HotkeyChord {
    Hotkey hotkey;
    std::uint64_t modifiers;
    std::uint16_t code;
};

inline constexpr std::array<HotkeyChord, 2> kHotkeyChords = {{
    {Hotkey::toggleSounds, Modifiers::kControl | Modifiers::kOption, KeyCodes::kK},
    {Hotkey::nextProfile, Modifiers::kControl | Modifiers::kOption, KeyCodes::kP},
}};

// The hotkey a key down of `code` with `flags` held fires, if any. Allocates nothing: the router calls it on the
// keyboard thread for every key down.
constexpr std::optional<Hotkey> hotkeyFor(std::uint16_t code, std::uint64_t flags) {
    for (const HotkeyChord &chord : kHotkeyChords) {
        if (chord.code == code && (flags & Modifiers::kShortcutMask) == chord.modifiers) {
            return chord.hotkey;
        }
    }
    return std::nullopt;
}

// The chord as key caps show it, one text a cap, in the shortcut formatter's names: {"Ctrl", "Alt", "K"}.
std::vector<std::string> hotkeyCaps(Hotkey hotkey);

// The chord as sentences and menus name it, the caps joined by "+": "Ctrl+Alt+K".
std::string hotkeyText(Hotkey hotkey);

} // namespace tc
