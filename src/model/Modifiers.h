#pragma once

#include <cstdint>

namespace tc {

// Device-independent modifier flags of a key event, as stored in shortcut triggers.
namespace Modifiers {

inline constexpr std::uint64_t kCapsLock = 0x10000;
inline constexpr std::uint64_t kShift = 0x20000;
inline constexpr std::uint64_t kControl = 0x40000;
inline constexpr std::uint64_t kOption = 0x80000;
inline constexpr std::uint64_t kCommand = 0x100000;

// The flags a recorded shortcut keeps: shift, control, option and command.
inline constexpr std::uint64_t kShortcutMask = kShift | kControl | kOption | kCommand; // 0x1E0000
// A shortcut needs one of these held to be recorded, and is only matched while one is held.
inline constexpr std::uint64_t kShortcutRequiredMask = kControl | kOption | kCommand; // 0x1C0000

static_assert(kShortcutMask == 0x1E0000 && kShortcutRequiredMask == 0x1C0000);

} // namespace Modifiers

} // namespace tc
