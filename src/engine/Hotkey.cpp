#include "engine/Hotkey.h"

#include "model/ShortcutFormatter.h"

#include <cstddef>

namespace tc {

namespace {

// The table lists the hotkeys in the order of the enum.
static_assert(kHotkeyChords[0].hotkey == Hotkey::toggleSounds && kHotkeyChords[1].hotkey == Hotkey::nextProfile);

const HotkeyChord &chordOf(Hotkey hotkey) {
    return kHotkeyChords.at(static_cast<std::size_t>(hotkey));
}

} // namespace

std::vector<std::string> hotkeyCaps(Hotkey hotkey) {
    const HotkeyChord &chord = chordOf(hotkey);
    std::vector<std::string> caps = ShortcutFormatter::symbols(chord.modifiers);
    caps.push_back(ShortcutFormatter::keyLabel(chord.code));
    return caps;
}

std::string hotkeyText(Hotkey hotkey) {
    const HotkeyChord &chord = chordOf(hotkey);
    return ShortcutFormatter::text(chord.modifiers, chord.code);
}

} // namespace tc
