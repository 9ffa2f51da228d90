#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tc {

// The document's virtual key codes (16-bit) that the program names, the keys that share a cap, and the key
// text: a profile stores each key's assignment under its code written in decimal ("49" is Space).
// Pure; any thread.
namespace KeyCodes {

// Keys of the drawn keyboard that the program treats apart, named after their ids in KeyLayout.
inline constexpr std::uint16_t kReturn = 36;
inline constexpr std::uint16_t kTab = 48;
inline constexpr std::uint16_t kSpace = 49;
inline constexpr std::uint16_t kDelete = 51;
inline constexpr std::uint16_t kEsc = 53;
inline constexpr std::uint16_t kCmdR = 54;
inline constexpr std::uint16_t kCmdL = 55;
inline constexpr std::uint16_t kShiftL = 56;
inline constexpr std::uint16_t kCaps = 57; // Caps Lock: a key down on every change, never a key up
inline constexpr std::uint16_t kOptL = 58;
inline constexpr std::uint16_t kCtrl = 59;
inline constexpr std::uint16_t kShiftR = 60;
inline constexpr std::uint16_t kOptR = 61;
inline constexpr std::uint16_t kFn = 63;
inline constexpr std::uint16_t kLeft = 123;
inline constexpr std::uint16_t kRight = 124;
inline constexpr std::uint16_t kUpDown = 126; // the up arrow; its cap is drawn with both arrows
// The letters of the hotkeys (Ctrl+Alt+K, Ctrl+Alt+P).
inline constexpr std::uint16_t kK = 40;
inline constexpr std::uint16_t kP = 35;

// Keys without a cap of their own.
inline constexpr std::uint16_t kCtrlR = 62;       // right Control
inline constexpr std::uint16_t kKeypadEnter = 76; // keypad Enter
inline constexpr std::uint16_t kDown = 125;       // the down arrow

// The key whose cap and assignment a key shares: right Control shares left Control's, keypad Enter shares
// Return's and the down arrow shares the up/down key's; every other key is its own.
constexpr std::uint16_t folded(std::uint16_t code) {
    switch (code) {
    case kCtrlR:
        return kCtrl;
    case kKeypadEnter:
        return kReturn;
    case kDown:
        return kUpDown;
    default:
        return code;
    }
}

// The key text of a code: its plain decimal form ("49").
std::string text(std::uint16_t code);

// The code a key text names. Only the text that text() makes counts: decimal digits without a sign, a
// leading zero or spaces, within 16 bits. "049", "+49", " 49", "65536" and "x" name no key; such members of
// a profile are kept but never match a key.
std::optional<std::uint16_t> fromText(std::string_view text);

} // namespace KeyCodes

} // namespace tc
