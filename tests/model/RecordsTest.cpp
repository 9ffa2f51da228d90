#include "model/AppData.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tc {
namespace {

Profile profileNamed(const std::string &name) {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = name;
    return profile;
}

TEST(AppData, ActiveProfileFallsBackToTheFirstWhenTheIdNamesNone) {
    AppData data;
    data.profiles = {profileNamed("One"), profileNamed("Two")};
    data.activeProfileID = data.profiles[1].id;
    EXPECT_EQ(data.activeProfile().name, "Two");

    data.activeProfileID = Uuid::random();
    EXPECT_EQ(data.activeProfile().name, "One");

    data.profiles.clear();
    EXPECT_THROW(data.activeProfile(), std::logic_error);
}

TEST(Profile, AssignmentLooksUpTheExactDecimalTextOfTheCode) {
    Profile profile;
    profile.keys["49"] = KeyAssignment{.soundID = "synth.boom"};
    profile.keys["012"] = KeyAssignment{.soundID = "synth.quack"};
    profile.keys["0"] = KeyAssignment{.soundID = "synth.pop"};

    ASSERT_TRUE(profile.assignment(49));
    EXPECT_EQ(profile.assignment(49)->soundID, "synth.boom");
    EXPECT_EQ(profile.assignment(0)->soundID, "synth.pop");
    EXPECT_FALSE(profile.assignment(12));  // "012" is never a key's text
    EXPECT_FALSE(profile.assignment(125)); // no folding of the down arrow
}

TEST(RawValues, CategoriesAndColoursRoundTripInListingOrder) {
    const char *categories[] = {"mechanical", "memes", "animals", "retro", "everyday", "mine"};
    ASSERT_EQ(std::size(categories), kAllSoundCategories.size());
    for (std::size_t i = 0; i < kAllSoundCategories.size(); ++i) {
        EXPECT_EQ(toString(kAllSoundCategories[i]), categories[i]);
        EXPECT_EQ(soundCategoryFromString(categories[i]), kAllSoundCategories[i]);
    }
    const char *colors[] = {"white", "yellow", "blue", "red", "black", "green"};
    ASSERT_EQ(std::size(colors), kAllProfileColors.size());
    for (std::size_t i = 0; i < kAllProfileColors.size(); ++i) {
        EXPECT_EQ(toString(kAllProfileColors[i]), colors[i]);
        EXPECT_EQ(profileColorFromString(colors[i]), kAllProfileColors[i]);
    }
    for (const char *unknown : {"", "Memes", "noises", "mine "}) {
        EXPECT_FALSE(soundCategoryFromString(unknown)) << unknown;
    }
    for (const char *unknown : {"", "White", "purple"}) {
        EXPECT_FALSE(profileColorFromString(unknown)) << unknown;
    }
}

TEST(Trigger, KindsOfDifferentCasesNeverCompareEqual) {
    EXPECT_NE(Trigger::Kind::shortcut(0, 0), Trigger::Kind::word(""));
    EXPECT_EQ(Trigger::Kind::shortcut(3, 0x120000), Trigger::Kind::shortcut(3, 0x120000));
    EXPECT_NE(Trigger::Kind::shortcut(3, 0x120000), Trigger::Kind::shortcut(3, 0x100000));
    EXPECT_TRUE(Trigger::Kind().isShortcut());
    const auto word = Trigger::Kind::word("hello");
    ASSERT_TRUE(word.asWord());
    EXPECT_EQ(word.asWord()->word, "hello");
    EXPECT_EQ(word.asShortcut(), nullptr);
}

} // namespace
} // namespace tc
