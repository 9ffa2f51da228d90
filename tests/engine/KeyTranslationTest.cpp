// Linux key codes to the document's virtual key codes, modifier masks and the text length limit.

#include "engine/KeyTranslation.h"
#include "model/KeyLayout.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

using namespace tc;

namespace {

struct CodeCase {
    unsigned linuxCode;
    std::uint16_t virtualCode;
};

// The kernel's own constants check the integers the translation table is written with.
const CodeCase codeCases[] = {
    {KEY_ESC, 53},
    {KEY_F1, 122},
    {KEY_F2, 120},
    {KEY_F3, 99},
    {KEY_F4, 118},
    {KEY_F5, 96},
    {KEY_F6, 97},
    {KEY_F7, 98},
    {KEY_F8, 100},
    {KEY_F9, 101},
    {KEY_F10, 109},
    {KEY_F11, 103},
    {KEY_F12, 111},
    {KEY_F13, 105},
    {KEY_F14, 107},
    {KEY_F15, 113},
    {KEY_F16, 106},
    {KEY_F17, 64},
    {KEY_F18, 79},
    {KEY_F19, 80},
    {KEY_F20, 90},
    {KEY_GRAVE, 50},
    {KEY_1, 18},
    {KEY_2, 19},
    {KEY_3, 20},
    {KEY_4, 21},
    {KEY_5, 23},
    {KEY_6, 22},
    {KEY_7, 26},
    {KEY_8, 28},
    {KEY_9, 25},
    {KEY_0, 29},
    {KEY_MINUS, 27},
    {KEY_EQUAL, 24},
    {KEY_BACKSPACE, 51},
    {KEY_TAB, 48},
    {KEY_Q, 12},
    {KEY_W, 13},
    {KEY_E, 14},
    {KEY_R, 15},
    {KEY_T, 17},
    {KEY_Y, 16},
    {KEY_U, 32},
    {KEY_I, 34},
    {KEY_O, 31},
    {KEY_P, 35},
    {KEY_LEFTBRACE, 33},
    {KEY_RIGHTBRACE, 30},
    {KEY_BACKSLASH, 42},
    {KEY_CAPSLOCK, 57},
    {KEY_A, 0},
    {KEY_S, 1},
    {KEY_D, 2},
    {KEY_F, 3},
    {KEY_G, 5},
    {KEY_H, 4},
    {KEY_J, 38},
    {KEY_K, 40},
    {KEY_L, 37},
    {KEY_SEMICOLON, 41},
    {KEY_APOSTROPHE, 39},
    {KEY_ENTER, 36},
    {KEY_LEFTSHIFT, 56},
    {KEY_Z, 6},
    {KEY_X, 7},
    {KEY_C, 8},
    {KEY_V, 9},
    {KEY_B, 11},
    {KEY_N, 45},
    {KEY_M, 46},
    {KEY_COMMA, 43},
    {KEY_DOT, 47},
    {KEY_SLASH, 44},
    {KEY_RIGHTSHIFT, 60},
    {KEY_FN, 63},
    {KEY_LEFTCTRL, 59},
    {KEY_RIGHTCTRL, 62},
    {KEY_LEFTALT, 58},
    {KEY_RIGHTALT, 61},
    {KEY_LEFTMETA, 55},
    {KEY_RIGHTMETA, 54},
    {KEY_SPACE, 49},
    {KEY_LEFT, 123},
    {KEY_RIGHT, 124},
    {KEY_UP, 126},
    {KEY_DOWN, 125},
    {KEY_HOME, 115},
    {KEY_END, 119},
    {KEY_PAGEUP, 116},
    {KEY_PAGEDOWN, 121},
    {KEY_DELETE, 117},
    {KEY_INSERT, 114},
    {KEY_KPENTER, 76},
    {KEY_KP0, 82},
    {KEY_KP1, 83},
    {KEY_KP2, 84},
    {KEY_KP3, 85},
    {KEY_KP4, 86},
    {KEY_KP5, 87},
    {KEY_KP6, 88},
    {KEY_KP7, 89},
    {KEY_KP8, 91},
    {KEY_KP9, 92},
    {KEY_KPDOT, 65},
    {KEY_KPPLUS, 69},
    {KEY_KPMINUS, 78},
    {KEY_KPASTERISK, 67},
    {KEY_KPSLASH, 75},
    {KEY_KPEQUAL, 81},
    {KEY_NUMLOCK, 71},
    {KEY_102ND, 10},
    {KEY_SYSRQ, 105},
    {KEY_SCROLLLOCK, 107},
    {KEY_PAUSE, 113},
    {KEY_COMPOSE, 110},
    {KEY_YEN, 93},
    {KEY_RO, 94},
    {KEY_KPCOMMA, 95},
    {KEY_HANGEUL, 104},
    {KEY_HANJA, 102},
};

} // namespace

TEST(KeyTranslation, TranslatesLinuxKeyCodesToVirtualKeyCodes) {
    for (const auto &c : codeCases) {
        SCOPED_TRACE(c.linuxCode);
        EXPECT_EQ(KeyTranslation::virtualKeyCode(static_cast<std::uint16_t>(c.linuxCode)), c.virtualCode);
    }
}

TEST(KeyTranslation, EveryKeyOfTheLayoutCanBeReached) {
    std::set<std::uint16_t> reachable;
    for (unsigned code = 0; code < 0x300; ++code) {
        if (auto virtualCode = KeyTranslation::virtualKeyCode(static_cast<std::uint16_t>(code))) {
            reachable.insert(*virtualCode);
        }
    }
    int coded = 0;
    for (const KeyDef &key : KeyLayout::allKeys()) {
        if (key.code) {
            ++coded;
            EXPECT_TRUE(reachable.count(*key.code)) << key.id;
        }
    }
    EXPECT_EQ(coded, 76);
    // The keys folded onto layout keys exist too: right Control, keypad Enter, down arrow.
    for (std::uint16_t alias : {62, 76, 125}) {
        EXPECT_TRUE(reachable.count(alias)) << alias;
    }
}

TEST(KeyTranslation, KeysWithoutAVirtualCodeAreUnknown) {
    for (unsigned code :
         std::initializer_list<unsigned>{KEY_RESERVED, KEY_MUTE, KEY_VOLUMEUP, KEY_POWER, KEY_PLAYPAUSE,
                                         KEY_BRIGHTNESSUP, BTN_LEFT, BTN_SOUTH, KEY_MAX, 0x300u, 0xFFFFu}) {
        EXPECT_FALSE(KeyTranslation::virtualKeyCode(static_cast<std::uint16_t>(code))) << code;
    }
}

TEST(KeyTranslation, TextIsCutToFourUtf16UnitsBetweenCodePoints) {
    struct Case {
        std::string text;
        std::size_t maxUnits;
        std::string expected;
    };
    const Case cases[] = {
        {"a", 4, "a"},
        {"abcdef", 4, "abcd"},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 4, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},         // é x5
        {"\xE2\x82\xAC\xE2\x82\xAC", 1, "\xE2\x82\xAC"},                                             // € x2
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 4, "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"}, // 😀 is 2 units
        {"abc\xF0\x9F\x98\x80", 4, "abc"}, // a surrogate pair that would not fit is left out whole
        {"ab\xFF", 4, "ab"},               // malformed byte
        {"ab\xE2\x82", 4, "ab"},           // cut-off sequence
        {"a\xE2"
         "bc",
         4, "a"}, // lead byte without continuation bytes
        {"", 4, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(KeyTranslation::truncateToUtf16Units(c.text, c.maxUnits), c.expected);
    }
}
