#include "model/ShortcutFormatter.h"
#include "model/Modifiers.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using Names = std::vector<std::string>;

TEST(ShortcutFormatter, SymbolsNameThePcModifiersInCtrlAltShiftSuperOrder) {
    using namespace Modifiers;
    const std::pair<std::uint64_t, Names> cases[] = {
        {kShortcutMask, {"Ctrl", "Alt", "Shift", "Super"}},
        {~std::uint64_t{0}, {"Ctrl", "Alt", "Shift", "Super"}},
        {kShift | kCommand, {"Shift", "Super"}},
        {kCommand | kOption, {"Alt", "Super"}},
        {kControl | kCapsLock, {"Ctrl"}},
        {kCapsLock, {}},
        {0, {}},
    };
    for (const auto &[flags, expected] : cases) {
        EXPECT_EQ(ShortcutFormatter::symbols(flags), expected) << std::hex << flags;
    }
}

TEST(ShortcutFormatter, TextJoinsNamesAndKeyWithPlus) {
    using namespace Modifiers;
    const struct {
        std::uint64_t flags;
        std::uint16_t code;
        const char *text;
    } cases[] = {
        {kControl, 1, "Ctrl+S"},
        {kControl | kOption, 40, "Ctrl+Alt+K"},
        {kShift | kControl, 3, "Ctrl+Shift+F"},
        {kShortcutMask | kCapsLock, 36, "Ctrl+Alt+Shift+Super+↩"},
        {kCommand, 51, "Super+⌫"},
        {kControl, 43, "Ctrl+,"},
        {0, 96, "F5"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ShortcutFormatter::text(c.flags, c.code), c.text) << std::hex << c.flags;
    }
}

TEST(ShortcutFormatter, KeyLabelUsesGlyphsThenTheLayoutsLabel) {
    const std::pair<std::uint16_t, const char *> cases[] = {
        {36, "↩"},  {48, "⇥"},  {49, "Space"}, {51, "⌫"},  {53, "esc"},  {123, "←"},     {124, "→"},
        {125, "↓"}, {126, "↑"}, {3, "F"},      {96, "F5"}, {62, "Ctrl"}, {76, "key 76"}, {57, "Caps Lock"},
    };
    for (const auto &[code, expected] : cases) {
        EXPECT_EQ(ShortcutFormatter::keyLabel(code), expected) << code;
    }
}

} // namespace
} // namespace tc
