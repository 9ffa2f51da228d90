// The hotkeys' chords: the one table the router, the shortcut recorder and every text naming a hotkey read.

#include "engine/Hotkey.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

TEST(Hotkey, EachHotkeyHasOneChordNamedInTheShortcutNames) {
    using namespace Modifiers;
    const struct {
        Hotkey hotkey;
        std::uint64_t modifiers;
        std::uint16_t code;
        std::vector<std::string> caps;
        std::string text;
    } rows[] = {
        {Hotkey::toggleSounds, kControl | kOption, KeyCodes::kK, {"Ctrl", "Alt", "K"}, "Ctrl+Alt+K"},
        {Hotkey::nextProfile, kControl | kOption, KeyCodes::kP, {"Ctrl", "Alt", "P"}, "Ctrl+Alt+P"},
    };
    ASSERT_EQ(std::size(rows), kHotkeyChords.size());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hotkeyFor(row.code, row.modifiers), row.hotkey);
        EXPECT_EQ(hotkeyFor(row.code, row.modifiers | kCapsLock), row.hotkey); // caps lock is not a modifier here
        EXPECT_EQ(hotkeyFor(row.code, row.modifiers | kShift), std::nullopt);  // another chord
        EXPECT_EQ(hotkeyFor(row.code, kControl), std::nullopt);
        EXPECT_EQ(hotkeyCaps(row.hotkey), row.caps);
        EXPECT_EQ(hotkeyText(row.hotkey), row.text);
    }
}

} // namespace
} // namespace tc
