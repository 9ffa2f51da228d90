// Recording a trigger's shortcut reads keys as the keyboard monitor does, and decides what each press means.

#include "ui/triggers/ShortcutRecorder.h"
#include "engine/KeyEventBuilder.h"
#include "engine/KeyTranslation.h"
#include "model/Modifiers.h"
#include "ui/ShellTestApp.h"

#include <QKeyEvent>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <vector>

namespace tc::test {
namespace {

using Outcome = ShortcutRecorder::Outcome;
using Press = ShortcutRecorder::Press;

struct HeldModifier {
    std::uint16_t linuxCode;
    Qt::KeyboardModifier qt;
};

constexpr HeldModifier heldCtrl{KEY_LEFTCTRL, Qt::ControlModifier};
constexpr HeldModifier heldRightCtrl{KEY_RIGHTCTRL, Qt::ControlModifier};
constexpr HeldModifier heldAlt{KEY_LEFTALT, Qt::AltModifier};
constexpr HeldModifier heldShift{KEY_LEFTSHIFT, Qt::ShiftModifier};
constexpr HeldModifier heldRightShift{KEY_RIGHTSHIFT, Qt::ShiftModifier};
constexpr HeldModifier heldSuper{KEY_LEFTMETA, Qt::MetaModifier};
constexpr HeldModifier heldRightSuper{KEY_RIGHTMETA, Qt::MetaModifier};

struct Chord {
    const char *name;
    std::uint16_t linuxCode;
    std::vector<HeldModifier> held;
};

// The same chord seen by the keyboard monitor (kernel records through the monitor's builder) and by the recorder
// (a Qt key event whose native scan code is the X key code) gives the same key code and the same flags.
TEST(ShortcutRecorder, ReadsEveryKeyAndModifierAsTheKeyboardMonitorDoes) {
    shellApp();
    const Chord chords[] = {
        {"letter A with Control", KEY_A, {heldCtrl}},
        {"letter Z with right Control", KEY_Z, {heldRightCtrl}},
        {"letter K with Control and Alt", KEY_K, {heldCtrl, heldAlt}},
        {"letter F with Shift and Super", KEY_F, {heldShift, heldSuper}},
        {"letter Q with right Super", KEY_Q, {heldRightSuper}},
        {"digit 1 with Super", KEY_1, {heldSuper}},
        {"digit 0 with Alt and right Shift", KEY_0, {heldAlt, heldRightShift}},
        {"F1 with Control", KEY_F1, {heldCtrl}},
        {"F5 alone", KEY_F5, {}},
        {"F12 with Shift", KEY_F12, {heldShift}},
        {"up arrow with Alt", KEY_UP, {heldAlt}},
        {"down arrow with Control", KEY_DOWN, {heldCtrl}},
        {"left arrow with Super", KEY_LEFT, {heldSuper}},
        {"right arrow with every modifier", KEY_RIGHT, {heldCtrl, heldAlt, heldShift, heldSuper}},
        {"Escape with Super", KEY_ESC, {heldSuper}},
        {"Space with Control", KEY_SPACE, {heldCtrl}},
    };
    for (const Chord &chord : chords) {
        KeyEventBuilder monitor;
        Qt::KeyboardModifiers modifiers;
        for (const HeldModifier &held : chord.held) {
            monitor.feed(held.linuxCode, 1);
            modifiers |= held.qt;
        }
        const std::optional<KeyEvent> heard = monitor.feed(chord.linuxCode, 1);
        ASSERT_TRUE(heard) << chord.name;

        // The key text and Qt key do not matter when there is a scan code: give a wrong one on purpose.
        const QKeyEvent event(QEvent::KeyPress, Qt::Key_Launch0, modifiers, chord.linuxCode + 8u, 0, 0);
        const std::optional<Press> press = ShortcutRecorder::translate(event);
        ASSERT_TRUE(press) << chord.name;
        EXPECT_EQ(press->code, heard->code) << chord.name;
        EXPECT_EQ(press->flags, heard->flags & Modifiers::kShortcutMask) << chord.name;
    }
}

// Without a scan code (an offscreen platform) the Qt key stands in, through codes the monitor gives the same keys.
TEST(ShortcutRecorder, WithoutAScanCodeTheQtKeyGivesTheMonitorsCode) {
    const std::pair<int, std::uint16_t> keys[] = {
        {Qt::Key_A, KEY_A},
        {Qt::Key_F, KEY_F},
        {Qt::Key_K, KEY_K},
        {Qt::Key_P, KEY_P},
        {Qt::Key_Z, KEY_Z},
        {Qt::Key_1, KEY_1},
        {Qt::Key_0, KEY_0},
        {Qt::Key_5, KEY_5},
        {Qt::Key_F1, KEY_F1},
        {Qt::Key_F4, KEY_F4},
        {Qt::Key_F12, KEY_F12},
        {Qt::Key_Up, KEY_UP},
        {Qt::Key_Down, KEY_DOWN},
        {Qt::Key_Left, KEY_LEFT},
        {Qt::Key_Right, KEY_RIGHT},
        {Qt::Key_Escape, KEY_ESC},
        {Qt::Key_Return, KEY_ENTER},
        {Qt::Key_Space, KEY_SPACE},
        {Qt::Key_Backspace, KEY_BACKSPACE},
        {Qt::Key_Control, KEY_LEFTCTRL},
        {Qt::Key_Shift, KEY_LEFTSHIFT},
        {Qt::Key_Alt, KEY_LEFTALT},
        {Qt::Key_Meta, KEY_LEFTMETA},
    };
    for (const auto &[qtKey, linuxCode] : keys) {
        EXPECT_EQ(ShortcutRecorder::codeForQtKey(qtKey), KeyTranslation::virtualKeyCode(linuxCode)) << qtKey;
    }
    EXPECT_EQ(ShortcutRecorder::codeForQtKey(Qt::Key_Launch0), std::nullopt);
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(ShortcutRecorder::translate(event), (Press{38, Modifiers::kControl}));
}

TEST(ShortcutRecorder, WhatEachPressMeansWhileRecording) {
    using namespace Modifiers;
    const std::uint16_t a = 0, k = 40, p = 35, esc = 53, leftControl = 59, rightCommand = 54;
    const struct {
        const char *name;
        std::optional<Press> press;
        Outcome outcome;
    } rows[] = {
        {"Escape alone cancels", Press{esc, 0}, Outcome::cancel},
        {"Escape with caps lock on cancels", Press{esc, kCapsLock}, Outcome::cancel},
        {"Shift-Escape keeps recording", Press{esc, kShift}, Outcome::needsHold},
        {"Command-Escape is a shortcut", Press{esc, kCommand}, Outcome::record},
        {"a plain letter keeps recording", Press{a, 0}, Outcome::needsHold},
        {"Shift and a letter keeps recording", Press{a, kShift}, Outcome::needsHold},
        {"Control and a letter is a shortcut", Press{a, kControl}, Outcome::record},
        {"Option and a letter is a shortcut", Press{a, kOption}, Outcome::record},
        {"Command with caps lock is a shortcut", Press{a, kCommand | kCapsLock}, Outcome::record},
        {"Control-Option-K is the on/off hotkey", Press{k, kControl | kOption}, Outcome::reserved},
        {"Control-Option-P is the next-profile hotkey", Press{p, kControl | kOption}, Outcome::reserved},
        {"Control-Option-Shift-K is no hotkey", Press{k, kControl | kOption | kShift}, Outcome::record},
        {"Control-K is no hotkey", Press{k, kControl}, Outcome::record},
        {"a modifier key by itself", Press{leftControl, kControl}, Outcome::ignore},
        {"the right Super key by itself", Press{rightCommand, kCommand}, Outcome::ignore},
        {"a key the program does not know", std::nullopt, Outcome::ignore},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(ShortcutRecorder::classify(row.press), row.outcome) << row.name;
    }
}

} // namespace
} // namespace tc::test
