// The state machine from kernel key records to key events: flags of held modifiers, Caps Lock, repeats.

#include "engine/KeyEventBuilder.h"
#include "support/KeyEventPrint.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <optional>
#include <vector>

using namespace tc;

namespace {

constexpr int up = 0, down = 1, repeat = 2;

struct Step {
    unsigned linuxCode;
    int value;
    std::optional<KeyEvent> expected; // nothing: the record reports no event
};

KeyEvent event(std::uint16_t code, bool isDown, std::uint64_t flags, bool isRepeat = false) {
    return KeyEvent{code, isDown, isRepeat, flags, {}};
}

struct Scenario {
    const char *name;
    std::vector<Step> steps;
};

const Scenario scenarios[] = {
    {"left shift down and up",
     {{KEY_LEFTSHIFT, down, event(56, true, 0x20002)}, {KEY_LEFTSHIFT, up, event(56, false, 0)}}},
    {"right shift while left shift is held keeps the shift flag when left goes up",
     {{KEY_LEFTSHIFT, down, event(56, true, 0x20002)},
      {KEY_RIGHTSHIFT, down, event(60, true, 0x20006)},
      {KEY_LEFTSHIFT, up, event(56, false, 0x20004)},
      {KEY_RIGHTSHIFT, up, event(60, false, 0)}}},
    {"caps lock reports a key down for each press and nothing else",
     {{KEY_CAPSLOCK, down, event(57, true, 0x10000)},
      {KEY_CAPSLOCK, repeat, std::nullopt},
      {KEY_CAPSLOCK, up, std::nullopt},
      {KEY_A, down, event(0, true, 0x10000)},
      {KEY_A, up, event(0, false, 0x10000)},
      {KEY_CAPSLOCK, down, event(57, true, 0)},
      {KEY_CAPSLOCK, up, std::nullopt}}},
    {"a held letter repeats, then goes up once",
     {{KEY_J, down, event(38, true, 0)},
      {KEY_J, repeat, event(38, true, 0, true)},
      {KEY_J, repeat, event(38, true, 0, true)},
      {KEY_J, up, event(38, false, 0)}}},
    {"a second press of a key that is down is a repeat (X11 raw events)",
     {{KEY_SPACE, down, event(49, true, 0)},
      {KEY_SPACE, down, event(49, true, 0, true)},
      {KEY_SPACE, up, event(49, false, 0)},
      {KEY_SPACE, down, event(49, true, 0)}}},
    {"modifiers never repeat",
     {{KEY_LEFTCTRL, down, event(59, true, 0x40001)},
      {KEY_LEFTCTRL, repeat, std::nullopt},
      {KEY_LEFTCTRL, down, std::nullopt},
      {KEY_LEFTCTRL, up, event(59, false, 0)}}},
    {"control-option-K carries both flags and both device bits",
     {{KEY_LEFTCTRL, down, event(59, true, 0x40001)},
      {KEY_LEFTALT, down, event(58, true, 0xC0021)},
      {KEY_K, down, event(40, true, 0xC0021)},
      {KEY_K, up, event(40, false, 0xC0021)},
      {KEY_LEFTALT, up, event(58, false, 0x40001)},
      {KEY_LEFTCTRL, up, event(59, false, 0)}}},
    {"the right-hand modifiers, Super and fn",
     {{KEY_RIGHTCTRL, down, event(62, true, 0x42000)},
      {KEY_RIGHTCTRL, up, event(62, false, 0)},
      {KEY_RIGHTALT, down, event(61, true, 0x80040)},
      {KEY_RIGHTALT, up, event(61, false, 0)},
      {KEY_LEFTMETA, down, event(55, true, 0x100008)},
      {KEY_RIGHTMETA, down, event(54, true, 0x100018)},
      {KEY_LEFTMETA, up, event(55, false, 0x100010)},
      {KEY_RIGHTMETA, up, event(54, false, 0)},
      {KEY_FN, down, event(63, true, 0x800000)},
      {KEY_UP, down, event(126, true, 0x800000)},
      {KEY_FN, up, event(63, false, 0)}}},
    {"a modifier released that was never seen going down still reports its up",
     {{KEY_RIGHTSHIFT, up, event(60, false, 0)}}},
    {"keys without a virtual code and bad values report nothing",
     {{KEY_MUTE, down, std::nullopt},
      {KEY_MUTE, up, std::nullopt},
      {BTN_LEFT, down, std::nullopt},
      {KEY_A, 3, std::nullopt},
      {KEY_A, -1, std::nullopt},
      {0x300, down, std::nullopt},
      {KEY_A, down, event(0, true, 0)}}},
};

} // namespace

TEST(KeyEventBuilder, TurnsKeyRecordsIntoEvents) {
    for (const auto &scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        KeyEventBuilder builder;
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            const Step &step = scenario.steps[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(builder.feed(static_cast<std::uint16_t>(step.linuxCode), step.value), step.expected);
        }
    }
}

TEST(KeyEventBuilder, TracksWhichKeysAreDown) {
    KeyEventBuilder builder;
    builder.feed(KEY_MUTE, down);
    builder.feed(KEY_A, repeat); // a repeat of a key pressed before anyone listened
    EXPECT_TRUE(builder.isDown(KEY_MUTE));
    EXPECT_TRUE(builder.isDown(KEY_A));
    builder.feed(KEY_A, up);
    EXPECT_FALSE(builder.isDown(KEY_A));
    EXPECT_FALSE(builder.isDown(0xFFFF));
}

TEST(KeyEventBuilder, CapsLockStartsFromTheSystemState) {
    KeyEventBuilder builder;
    builder.setCapsLockOn(true);
    EXPECT_EQ(builder.feed(KEY_Q, down), event(12, true, 0x10000));
    EXPECT_EQ(builder.feed(KEY_CAPSLOCK, down), event(57, true, 0));
    EXPECT_FALSE(builder.capsLockOn());
}
