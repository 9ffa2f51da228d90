#include "engine/linux/KeyStream.h"

#include "engine/KeyTranslation.h"

#include <linux/input-event-codes.h>

namespace tc {

void KeyStream::setText(std::unique_ptr<XkbKeyText> text) {
    text_ = std::move(text);
    if (!text_) {
        return;
    }
    builder_.setCapsLockOn(text_->capsLockOn());
    // A new layout while keys are held (a keymap change on the fly): hold them in the new state too. Lock
    // keys are left out, a second press would undo the lock the new state already has.
    for (std::uint16_t code = 0; code < KeyEventBuilder::kKeyCount; ++code) {
        if (builder_.isDown(code) && code != KEY_CAPSLOCK && code != KEY_NUMLOCK) {
            text_->update(code, true);
        }
    }
}

void KeyStream::key(std::uint16_t linuxCode, std::int32_t value) {
    const bool repeat = value == 2 || (value == 1 && builder_.isDown(linuxCode));
    std::optional<KeyEvent> event = builder_.feed(linuxCode, value);
    if (event && text_ && !KeyTranslation::isModifierKey(event->code)) {
        // The text of a key comes from the state before the key itself acts on it.
        event->characters = text_->characters(linuxCode);
    }
    if (text_ && !repeat && (value == 0 || value == 1)) {
        text_->update(linuxCode, value == 1);
    }
    if (event) {
        slot_.dispatch(*event);
    }
}

} // namespace tc
