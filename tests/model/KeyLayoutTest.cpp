#include "model/KeyLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace tc {
namespace {

TEST(KeyLayout, HasSeventySevenKeysInSixRowsOfFifteenUnits) {
    const auto &rows = KeyLayout::rows();
    ASSERT_EQ(rows.size(), 6u);
    const std::size_t expectedCounts[] = {14, 14, 14, 13, 12, 10};
    std::set<std::string> ids;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].size(), expectedCounts[r]) << "row " << r;
        double width = 0.0;
        for (const auto &key : rows[r]) {
            width += key.width;
            EXPECT_EQ(key.isShort, r == 0) << key.id;
            ids.insert(key.id);
        }
        EXPECT_DOUBLE_EQ(width, 15.0) << "row " << r;
    }
    EXPECT_EQ(ids.size(), 77u); // ids are unique

    const auto &all = KeyLayout::allKeys();
    ASSERT_EQ(all.size(), 77u);
    EXPECT_EQ(all.front().id, "esc");
    EXPECT_EQ(all.back().id, "right");
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const KeyDef &k) { return k.code.has_value(); }), 76);
}

TEST(KeyLayout, LookupsHoldTheAliasesOfDownArrowAndRightControlOnly) {
    const auto &byCode = KeyLayout::byCode();
    EXPECT_EQ(byCode.size(), 78u);
    EXPECT_EQ(byCode.at(125).id, "updown");
    EXPECT_EQ(byCode.at(62).id, "ctrl");
    EXPECT_EQ(byCode.count(76), 0u);

    const auto &pan = KeyLayout::panPosition();
    EXPECT_EQ(pan.size(), 77u);
    EXPECT_EQ(pan.at(125), pan.at(126));
    EXPECT_EQ(pan.count(62), 0u);
    EXPECT_EQ(pan.count(76), 0u);
}

TEST(KeyLayout, PanPositionIsTheKeyCentreAcrossItsRow) {
    const std::pair<std::uint16_t, float> examples[] = {
        {53, 0.05f},   {122, 0.1333f}, {111, 0.8667f}, {57, 0.0583f}, {56, 0.075f},
        {49, 0.4667f}, {123, 0.8333f}, {126, 0.9f},    {125, 0.9f},   {124, 0.9667f},
    };
    for (const auto &[code, expected] : examples) {
        EXPECT_NEAR(KeyLayout::panPosition().at(code), expected, 1e-4) << code;
    }
    // Every row spans the whole field: its first coded key sits at the left, its last one at the right
    // (in the function row that is F12, with Touch ID beyond it).
    for (const auto &row : KeyLayout::rows()) {
        const KeyDef &last = row.back().code ? row.back() : row[row.size() - 2];
        EXPECT_LT(KeyLayout::panPosition().at(*row.front().code), 0.1f) << row.front().id;
        EXPECT_GT(KeyLayout::panPosition().at(*last.code), 0.85f) << last.id;
    }
}

TEST(KeyLayout, LabelsNameEveryKeyCode) {
    // The PC keyboard's names: Ctrl, Alt, Super, Backspace, Enter.
    const std::pair<std::uint16_t, const char *> cases[] = {
        {125, "↓"},  {126, "↑"},  {62, "Ctrl"},         {59, "Ctrl"},   {49, "Space"},     {57, "Caps Lock"},
        {0, "A"},    {96, "F5"},  {53, "Esc"},          {76, "key 76"}, {51, "Backspace"}, {36, "Enter"},
        {58, "Alt"}, {61, "Alt"}, {55, "Super"},        {54, "Super"},  {56, "Shift"},     {63, "Fn"},
        {50, "`"},   {123, "←"},  {65535, "key 65535"},
    };
    for (const auto &[code, expected] : cases) {
        EXPECT_EQ(KeyLayout::label(code), expected) << code;
    }
}

TEST(KeyDef, DisplayNameCapitalisesWordsOfLongerLabels) {
    const std::pair<KeyDef, const char *> cases[] = {
        {KeyDef{"caps", 57, "caps lock", 1.75, KeyDef::Kind::modifier, false}, "Caps Lock"},
        {KeyDef{"x", 1, "cAPS lOCK", 1, KeyDef::Kind::modifier, false}, "Caps Lock"},
        {KeyDef{"F12", 111, "F12", 1, KeyDef::Kind::function, true}, "F12"},
        {KeyDef{"updown", 126, "↑↓", 1, KeyDef::Kind::arrow, false}, "↑↓"},
        {KeyDef{"left", 123, "←", 1, KeyDef::Kind::arrow, false}, "←"},
        {KeyDef{"q", 12, "q", 1, KeyDef::Kind::character, false}, "q"}, // one character stays as it is
        {KeyDef{"space", 49, "", 5.5, KeyDef::Kind::space, false}, "Space"},
        {KeyDef{"touch", std::nullopt, "", 1.5, KeyDef::Kind::decorative, true}, "Touch ID"},
    };
    for (const auto &[key, expected] : cases) {
        EXPECT_EQ(key.displayName(), expected) << key.label;
    }
}

} // namespace
} // namespace tc
