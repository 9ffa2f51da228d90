#pragma once

#include "engine/KeyEventBuilder.h"
#include "engine/KeyHandlerSlot.h"
#include "engine/linux/XkbKeyText.h"

#include <memory>

namespace tc {

// The road of one key record on the keyboard monitor's thread, shared by the evdev and X11 backends:
// build the KeyEvent, add the text the key types, keep the layout state in step and call the handler.
//
// Thread: the monitor's thread only (set up before that thread starts). Borrows the handler slot, which
// must outlive it.
class KeyStream {
public:
    explicit KeyStream(KeyHandlerSlot &slot) : slot_(slot) {}

    // Replaces the keyboard layout (nullptr: events carry no text). Takes Caps Lock's state from it and
    // presses the keys that are down in it.
    void setText(std::unique_ptr<XkbKeyText> text);
    XkbKeyText *text() const { return text_.get(); }

    // One key record: a Linux key code and 0 (up), 1 (down) or 2 (auto-repeat).
    void key(std::uint16_t linuxCode, std::int32_t value);

    bool isDown(std::uint16_t linuxCode) const { return builder_.isDown(linuxCode); }

private:
    KeyHandlerSlot &slot_;
    KeyEventBuilder builder_;
    std::unique_ptr<XkbKeyText> text_;
};

} // namespace tc
