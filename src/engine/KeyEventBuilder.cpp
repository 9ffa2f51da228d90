#include "engine/KeyEventBuilder.h"

#include "engine/KeyTranslation.h"
#include "model/KeyCodes.h"
#include "model/Modifiers.h"

namespace tc {

namespace {

// The modifier keys with a device bit; each implies its flag (left and right share one).
constexpr std::uint16_t kModifierCodes[] = {KeyCodes::kShiftL, KeyCodes::kShiftR, KeyCodes::kCtrl,
                                            KeyCodes::kCtrlR,  KeyCodes::kOptL,   KeyCodes::kOptR,
                                            KeyCodes::kCmdL,   KeyCodes::kCmdR,   KeyCodes::kFn};

} // namespace

std::uint64_t KeyEventBuilder::flags() const {
    std::uint64_t result = heldDeviceBits_;
    for (std::uint16_t code : kModifierCodes) {
        if (heldDeviceBits_ & KeyTranslation::deviceModifierMask(code)) {
            result |= KeyTranslation::modifierFlag(code);
        }
    }
    if (capsLock_) {
        result |= Modifiers::kCapsLock;
    }
    return result;
}

std::optional<KeyEvent> KeyEventBuilder::feed(std::uint16_t linuxCode, std::int32_t value) {
    if (linuxCode >= kKeyCount || value < 0 || value > 2) {
        return std::nullopt;
    }
    const bool isUp = value == 0;
    const bool isRepeat = value == 2 || (value == 1 && down_[linuxCode]);
    down_[linuxCode] = !isUp;

    const std::optional<std::uint16_t> code = KeyTranslation::virtualKeyCode(linuxCode);
    if (!code) {
        return std::nullopt;
    }
    if (*code == KeyCodes::kCaps) {
        // Every press toggles the lock and is reported as a key down; the release and repeats are not.
        if (isUp || isRepeat) {
            return std::nullopt;
        }
        capsLock_ = !capsLock_;
        return KeyEvent{*code, true, false, flags(), {}};
    }
    if (const std::uint64_t deviceBit = KeyTranslation::deviceModifierMask(*code)) {
        if (isRepeat) {
            return std::nullopt;
        }
        if (isUp) {
            heldDeviceBits_ &= ~deviceBit;
        } else {
            heldDeviceBits_ |= deviceBit;
        }
        return KeyEvent{*code, !isUp, false, flags(), {}};
    }
    return KeyEvent{*code, !isUp, isRepeat, flags(), {}};
}

} // namespace tc
