#pragma once

#include "engine/KeyEvent.h"

#include <iomanip>
#include <ostream>

namespace tc {

// Lets GoogleTest show key events in failure messages: {code 40 down flags 0xc0021 "k"}.
inline void PrintTo(const KeyEvent &event, std::ostream *out) {
    *out << "{code " << event.code << (event.isDown ? " down" : " up") << (event.isRepeat ? " repeat" : "")
         << " flags 0x" << std::hex << event.flags << std::dec << " " << std::quoted(event.characters) << "}";
}

} // namespace tc
