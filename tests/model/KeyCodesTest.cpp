// The key text a profile stores, the keys that share a cap, and the named codes.

#include "model/KeyCodes.h"
#include "model/KeyLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tc {
namespace {

TEST(KeyCodes, OnlyThePlainDecimalTextNamesAKey) {
    struct Case {
        std::string_view text;
        std::optional<std::uint16_t> code;
    };
    const Case cases[] = {
        {"49", 49},
        {"0", 0},
        {"7", 7},
        {"65535", 65535},
        {"049", std::nullopt}, // the router never plays it, so no screen lists it either
        {"00", std::nullopt},
        {"+49", std::nullopt},
        {"-1", std::nullopt},
        {" 49", std::nullopt},
        {"49 ", std::nullopt},
        {"4 9", std::nullopt},
        {"0x31", std::nullopt},
        {"65536", std::nullopt},
        {"99999", std::nullopt},
        {"100000", std::nullopt},
        {"", std::nullopt},
        {"x", std::nullopt},
        {"49x", std::nullopt},
        {"\xd9\xa4\xd9\xa9", std::nullopt}, // Arabic-Indic digits
        {std::string_view("4\0", 2), std::nullopt},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(KeyCodes::fromText(c.text), c.code) << "\"" << c.text << "\"";
    }
}

TEST(KeyCodes, EveryCodeReadsBackFromItsText) {
    EXPECT_EQ(KeyCodes::text(KeyCodes::kSpace), "49");
    EXPECT_EQ(KeyCodes::text(0), "0");
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const auto text = KeyCodes::text(static_cast<std::uint16_t>(code));
        ASSERT_EQ(KeyCodes::fromText(text), code) << text;
    }
}

TEST(KeyCodes, RightControlKeypadEnterAndDownArrowFoldIntoTheKeyWhoseCapTheyShare) {
    struct Case {
        std::uint16_t code, folded;
        const char *capID; // the layout's key for the folded code
    };
    const Case cases[] = {
        {62, 59, "ctrl"},   {76, 36, "return"},   {125, 126, "updown"}, {59, 59, "ctrl"},
        {36, 36, "return"}, {126, 126, "updown"}, {49, 49, "space"},    {12, 12, "Q"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(KeyCodes::folded(c.code), c.folded) << c.code;
        EXPECT_EQ(KeyLayout::byCode().at(KeyCodes::folded(c.code)).id, c.capID) << c.code;
    }
    // Folding twice changes nothing, and every key of the drawn keyboard is its own.
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        const auto once = KeyCodes::folded(static_cast<std::uint16_t>(code));
        ASSERT_EQ(KeyCodes::folded(once), once) << code;
    }
    for (const KeyDef &key : KeyLayout::allKeys()) {
        if (key.code) {
            EXPECT_EQ(KeyCodes::folded(*key.code), *key.code) << key.id;
        }
    }
}

TEST(KeyCodes, NamedCodesAreTheCodesOfTheLayoutsKeys) {
    struct Case {
        std::uint16_t named, code;
        const char *id;
    };
    const Case cases[] = {
        {KeyCodes::kReturn, 36, "return"}, {KeyCodes::kTab, 48, "tab"},        {KeyCodes::kSpace, 49, "space"},
        {KeyCodes::kDelete, 51, "delete"}, {KeyCodes::kEsc, 53, "esc"},        {KeyCodes::kCmdR, 54, "cmdR"},
        {KeyCodes::kCmdL, 55, "cmdL"},     {KeyCodes::kShiftL, 56, "shiftL"},  {KeyCodes::kCaps, 57, "caps"},
        {KeyCodes::kOptL, 58, "optL"},     {KeyCodes::kCtrl, 59, "ctrl"},      {KeyCodes::kShiftR, 60, "shiftR"},
        {KeyCodes::kOptR, 61, "optR"},     {KeyCodes::kFn, 63, "fn"},          {KeyCodes::kLeft, 123, "left"},
        {KeyCodes::kRight, 124, "right"},  {KeyCodes::kUpDown, 126, "updown"}, {KeyCodes::kK, 40, "K"},
        {KeyCodes::kP, 35, "P"},
    };
    const auto &keys = KeyLayout::allKeys();
    for (const auto &c : cases) {
        EXPECT_EQ(c.named, c.code) << c.id;
        const auto key = std::find_if(keys.begin(), keys.end(), [&](const KeyDef &k) { return k.id == c.id; });
        ASSERT_NE(key, keys.end()) << c.id;
        EXPECT_EQ(key->code, c.code) << c.id;
    }
}

} // namespace
} // namespace tc
