#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Translation of Linux key codes into the document's virtual key codes and modifier flags.
//
// Linux key codes are the kernel's evdev codes (KEY_A is 30); an X11 key code is the evdev code plus 8.
// Virtual key codes are the 16-bit codes the document stores (0 is A, 49 is Space, 57 Caps Lock).
// Everything here is pure and may be called from any thread.
namespace tc::KeyTranslation {

// The virtual key code for a Linux key code; nothing for keys the program does not know (media keys,
// mouse buttons and the like), which the keyboard monitor drops.
std::optional<std::uint16_t> virtualKeyCode(std::uint16_t linuxCode);

// The device-dependent flag bit that is set while the given modifier key (virtual code) is down, such as
// 0x2 for left Shift and 0x4 for right Shift; 0 for every other key, Caps Lock included.
std::uint64_t deviceModifierMask(std::uint16_t virtualCode);

// The device-independent flag of a modifier key (virtual code): shift 0x20000, control 0x40000,
// option 0x80000, command 0x100000, fn 0x800000; 0 for every other key, Caps Lock included.
std::uint64_t modifierFlag(std::uint16_t virtualCode);

// True for the keys that report modifier changes instead of typing: the Shift, Control, Option and
// Command keys on both sides, fn and Caps Lock. Their events carry no characters and never repeat.
bool isModifierKey(std::uint16_t virtualCode);

// The longest prefix of UTF-8 text that fits in the given number of UTF-16 units, cut only between code
// points. Malformed text is cut at the first malformed byte.
std::string_view truncateToUtf16Units(std::string_view utf8, std::size_t maxUnits);

} // namespace tc::KeyTranslation
