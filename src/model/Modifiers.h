#pragma once

#include <cstdint>

namespace tc {

// Device-independent modifier flags of a key event, as stored in shortcut triggers.
namespace Modifiers {

inline constexpr std::uint64_t capsLock = 0x10000;
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;

// The flags a recorded shortcut keeps: shift, control, option and command.
inline constexpr std::uint64_t shortcutMask = shift | control | option | command; // 0x1E0000
// A shortcut needs one of these held to be recorded, and is only matched while one is held.
inline constexpr std::uint64_t shortcutRequiredMask = control | option | command; // 0x1C0000

static_assert(shortcutMask == 0x1E0000 && shortcutRequiredMask == 0x1C0000);

} // namespace Modifiers

} // namespace tc
