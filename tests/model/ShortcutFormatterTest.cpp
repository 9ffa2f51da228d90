#include "model/ShortcutFormatter.h"
#include "model/Modifiers.h"

#include <gtest/gtest.h>

namespace tc {
namespace {

using Glyphs = std::vector<std::string>;

TEST(ShortcutFormatter, SymbolsFollowControlOptionShiftCommandOrder) {
    using namespace Modifiers;
    const std::pair<std::uint64_t, Glyphs> cases[] = {
        {kShortcutMask, {"⌃", "⌥", "⇧", "⌘"}},
        {~std::uint64_t{0}, {"⌃", "⌥", "⇧", "⌘"}},
        {kShift | kCommand, {"⇧", "⌘"}},
        {kCommand | kOption, {"⌥", "⌘"}},
        {kControl | kCapsLock, {"⌃"}},
        {kCapsLock, {}},
        {0, {}},
    };
    for (const auto &[flags, expected] : cases) {
        EXPECT_EQ(ShortcutFormatter::symbols(flags), expected) << std::hex << flags;
    }
}

TEST(ShortcutFormatter, KeyLabelUsesGlyphsThenTheLayoutsLabel) {
    const std::pair<std::uint16_t, const char *> cases[] = {
        {36, "↩"},  {48, "⇥"},  {49, "Space"}, {51, "⌫"},  {53, "esc"},     {123, "←"},     {124, "→"},
        {125, "↓"}, {126, "↑"}, {3, "F"},      {96, "F5"}, {62, "Control"}, {76, "key 76"}, {57, "Caps Lock"},
    };
    for (const auto &[code, expected] : cases) {
        EXPECT_EQ(ShortcutFormatter::keyLabel(code), expected) << code;
    }
}

} // namespace
} // namespace tc
