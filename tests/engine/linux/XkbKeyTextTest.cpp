// Typed text from xkbcommon layouts, and the system's default layout.

#include "engine/linux/XkbKeyText.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

using namespace tc;

namespace {

std::unique_ptr<XkbKeyText> layout(const std::string &names, const std::string &options = {}) {
    return XkbKeyText::fromNames({"evdev", "pc105", names, "", options});
}

} // namespace

TEST(XkbKeyText, ReadsTheConsoleKeyboardConfiguration) {
    const auto names = XkbKeyText::parseKeyboardDefaults("# KEYBOARD CONFIGURATION FILE\n"
                                                         "\n"
                                                         "XKBMODEL=\"pc105\"\n"
                                                         "XKBLAYOUT='de,us'\n"
                                                         "  XKBVARIANT=nodeadkeys  \n"
                                                         "XKBOPTIONS=\"grp:alt_shift_toggle,ctrl:nocaps\"\n"
                                                         "BACKSPACE=\"guess\"\n"
                                                         "broken line\n");
    EXPECT_EQ(names, (XkbKeyText::Names{"", "pc105", "de,us", "nodeadkeys", "grp:alt_shift_toggle,ctrl:nocaps"}));
    EXPECT_EQ(XkbKeyText::parseKeyboardDefaults(""), XkbKeyText::Names{});
}

TEST(XkbKeyText, TypesWhatTheLayoutAndHeldModifiersGive) {
    auto us = layout("us");
    ASSERT_TRUE(us);
    EXPECT_EQ(us->characters(KEY_A), "a");
    EXPECT_EQ(us->characters(KEY_1), "1");
    EXPECT_EQ(us->characters(KEY_SPACE), " ");
    EXPECT_EQ(us->characters(KEY_LEFTSHIFT), "");
    EXPECT_EQ(us->characters(KEY_F5), "");
    us->update(KEY_LEFTSHIFT, true);
    EXPECT_EQ(us->characters(KEY_A), "A");
    EXPECT_EQ(us->characters(KEY_1), "!");
    us->update(KEY_LEFTSHIFT, false);
    us->update(KEY_LEFTCTRL, true);
    EXPECT_EQ(us->characters(KEY_K), "\v"); // control characters, as terminals get them
    us->update(KEY_LEFTCTRL, false);

    EXPECT_FALSE(us->capsLockOn());
    us->update(KEY_CAPSLOCK, true);
    us->update(KEY_CAPSLOCK, false);
    EXPECT_TRUE(us->capsLockOn());
    EXPECT_EQ(us->characters(KEY_B), "B");

    auto de = layout("de");
    ASSERT_TRUE(de);
    EXPECT_EQ(de->characters(KEY_Y), "z");
    EXPECT_EQ(de->characters(KEY_SEMICOLON), "\xC3\xB6"); // ö
    de->update(KEY_RIGHTALT, true);                       // AltGr
    EXPECT_EQ(de->characters(KEY_Q), "@");
    EXPECT_EQ(de->characters(KEY_E), "\xE2\x82\xAC"); // €
}

TEST(XkbKeyText, FollowsALayoutGroupLockedElsewhere) {
    auto text = layout("us,de");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->characters(KEY_Y), "y");
    text->setLockedGroup(1);
    EXPECT_EQ(text->characters(KEY_Y), "z");
    text->update(KEY_LEFTSHIFT, true);
    text->setLockedGroup(1); // the held modifier survives a group change
    EXPECT_EQ(text->characters(KEY_Y), "Z");
}

TEST(XkbKeyText, AnUnknownLayoutIsRefused) {
    EXPECT_EQ(layout("no-such-layout"), nullptr);
    EXPECT_NE(XkbKeyText::fromNames({}), nullptr); // the library's defaults always compile
}
