#pragma once

#include "engine/KeyEvent.h"

#include <bitset>
#include <cstdint>
#include <optional>

namespace tc {

// Turns the kernel's key records (a Linux key code and a value: 0 up, 1 down, 2 auto-repeat) into the
// KeyEvents the program works with, keeping the state that needs: which keys are down, which modifier keys
// are held (giving the flags, with each key's own device bit) and whether Caps Lock is on.
//
// What it reports:
// - A key down (value 1) or up (0); a down of a key that is already down counts as a repeat, as does
//   value 2, and is reported with isRepeat set.
// - Modifier keys report their own down and up, with flags that already include the change; they never
//   repeat. Releasing one side keeps the shared flag while the other side is held.
// - Caps Lock reports a key down for every press (turning it on and off), never a key up or a repeat;
//   its flag 0x10000 is set while it is on.
// - Keys without a virtual code produce nothing (but are still tracked as down or up).
// Characters are not filled in: the text depends on the keyboard layout, which the backends know.
//
// Pure and single-threaded: used on the keyboard monitor's thread only, and fed by tests from tables.
class KeyEventBuilder {
public:
    // Linux key codes run from 0 to KEY_MAX (0x2ff); records with larger codes are ignored.
    static constexpr std::size_t kKeyCount = 0x300;

    std::optional<KeyEvent> feed(std::uint16_t linuxCode, std::int32_t value);

    bool isDown(std::uint16_t linuxCode) const { return linuxCode < kKeyCount && down_[linuxCode]; }

    // The flags of the next event, from the held modifier keys and Caps Lock.
    std::uint64_t flags() const;

    bool capsLockOn() const { return capsLock_; }
    // Sets the Caps Lock state from the system's when the monitor starts.
    void setCapsLockOn(bool on) { capsLock_ = on; }

private:
    std::bitset<kKeyCount> down_;
    std::uint64_t heldDeviceBits_ = 0; // the device bits of the held modifier keys
    bool capsLock_ = false;
};

} // namespace tc
