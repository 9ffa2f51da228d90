#pragma once

#include <cstdint>
#include <string>

namespace tc {

// One keyboard event as the keyboard monitor reports it, in the document's key-code scheme.
struct KeyEvent {
    uint16_t code = 0;      // virtual key code (49 is Space, 57 Caps Lock)
    bool isDown = false;    // key down, or a modifier that went down
    bool isRepeat = false;  // a key down produced by auto-repeat
    uint64_t flags = 0;     // modifier flags: shift 0x20000, control 0x40000, option 0x80000, command 0x100000,
                            // plus the device-dependent low bits of the held modifier keys
    std::string characters; // UTF-8 text the key produces (at most 4 UTF-16 units); empty for modifiers

    friend bool operator==(const KeyEvent &, const KeyEvent &) = default;
};

} // namespace tc
