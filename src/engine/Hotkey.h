#pragma once

namespace tc {

// The program's global hotkeys, seen by the sound router on every key down: Control-Alt-K turns sounds on
// or off, Control-Alt-P switches to the next profile.
enum class Hotkey { toggleSounds, nextProfile };

} // namespace tc
