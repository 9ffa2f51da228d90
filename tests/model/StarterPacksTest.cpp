#include "model/StarterPacks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tc {
namespace {

using SoundMap = std::map<std::string, std::string>; // key code text -> sound id

// The letter keys Q..P, A..L, Z..M in layout order.
const std::uint16_t kLetters[] = {12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 0,  1,  2,
                                  3,  5,  4,  38, 40, 37, 6,  7,  8,  9,  11, 45, 46};

// The key maps the built-in packs had in earlier releases, written out independently of the code.
SoundMap legacyCatCafe() {
    SoundMap map;
    for (auto code : kLetters) {
        const bool vowel = code == 0 || code == 14 || code == 34 || code == 31 || code == 32 || code == 16;
        map[std::to_string(code)] = vowel ? "synth.meow" : "synth.mew";
    }
    map["49"] = "synth.purr";
    map["36"] = "synth.meow";
    map["51"] = "synth.mew";
    return map;
}

SoundMap legacyBarnyard() {
    const char *cycle[] = {"synth.chirp", "synth.quack", "rec.frog", "rec.pig",
                           "rec.sheep",   "synth.mew",   "rec.bark", "rec.goat"};
    SoundMap map;
    for (std::size_t i = 0; i < std::size(kLetters); ++i) {
        map[std::to_string(kLetters[i])] = cycle[i % 8];
    }
    map.insert(
        {{"36", "rec.rooster"}, {"49", "rec.chicken"}, {"51", "rec.moo"}, {"48", "rec.horse"}, {"53", "rec.owl"}});
    return map;
}

SoundMap legacyArcade() {
    SoundMap map;
    for (auto code : kLetters) {
        map[std::to_string(code)] = "synth.blip";
    }
    map.insert({{"49", "synth.jump"},
                {"36", "synth.coin"},
                {"51", "synth.laser"},
                {"53", "synth.explosion"},
                {"48", "synth.powerup"}});
    return map;
}

SoundMap legacyMeme() {
    return {{"49", "synth.boom"},    {"36", "synth.tada"},        {"51", "synth.boing"},   {"57", "synth.rimshot"},
            {"48", "synth.whoosh"},  {"55", "synth.coin"},        {"54", "synth.coin"},    {"56", "synth.jump"},
            {"60", "synth.jump"},    {"53", "synth.sadtrombone"}, {"96", "synth.rimshot"}, {"97", "synth.whoosh"},
            {"98", "synth.airhorn"}, {"100", "synth.boom"},       {"35", "synth.pop"},     {"12", "synth.quack"}};
}

Profile profile(const std::string &name, const SoundMap &sounds = {}) {
    Profile result;
    result.id = Uuid::random();
    result.name = name;
    result.color = ProfileColor::black;
    result.baseSoundID = "synth.base";
    for (const auto &[code, sound] : sounds) {
        result.keys[code] = KeyAssignment{.soundID = sound, .volume = 0.5};
    }
    return result;
}

AppData document(std::vector<Profile> profiles, std::size_t active) {
    AppData data;
    data.profiles = std::move(profiles);
    data.activeProfileID = data.profiles.at(active).id;
    return data;
}

std::vector<std::string> names(const AppData &data) {
    std::vector<std::string> result;
    for (const auto &p : data.profiles) {
        result.push_back(p.name);
    }
    return result;
}

bool hasMarker(const AppData &data) {
    const auto &packs = data.settings.seededPacks;
    return std::count(packs.begin(), packs.end(), StarterPacks::kMigrationMarker) == 1;
}

TEST(StarterPacks, MakersBuildTheStarterProfiles) {
    struct Case {
        Profile made;
        const char *name;
        ProfileColor color;
        const char *base;
        std::size_t keyCount;
        double variation;
    };
    const Case cases[] = {
        {StarterPacks::makeMeme(), "Meme mode", ProfileColor::yellow, "none", 20, 0.06},
        {StarterPacks::makeAnimals(), "Animals", ProfileColor::blue, "synth.cream", 18, 0.08},
        {StarterPacks::makeArcade(), "Arcade", ProfileColor::red, "synth.blue", 6, 0.15},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.made.name, c.name);
        EXPECT_EQ(c.made.color, c.color);
        EXPECT_EQ(c.made.baseSoundID, c.base);
        EXPECT_EQ(c.made.keys.size(), c.keyCount);
        for (const auto &[code, assignment] : c.made.keys) {
            EXPECT_EQ(assignment, (KeyAssignment{assignment.soundID, 1.0, c.variation, false, false, false}));
        }
        EXPECT_FALSE(c.made.id.isNull());
    }
    EXPECT_EQ(cases[0].made.assignment(49)->soundID, "synth.boom");
    EXPECT_EQ(cases[1].made.assignment(8)->soundID, "rec.meow2");
    EXPECT_NE(StarterPacks::makeMeme().id, StarterPacks::makeMeme().id);
}

TEST(StarterPacks, KeysLetALaterEntryForTheSameCodeWin) {
    const StarterPacks::Entry table[] = {{49, "a"}, {0, "b"}, {49, "c"}};
    const auto keys = StarterPacks::keys(table, 0.2);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys.at("49").soundID, "c");
    EXPECT_EQ(keys.at("0").pitchVariation, 0.2);
}

TEST(StarterPacksUpgrade, DocumentWithTheMarkerIsLeftAlone) {
    AppData data = document({profile("Cat cafe", legacyCatCafe()), profile("Meme mode", legacyMeme())}, 0);
    data.settings.seededPacks = {"other", std::string(StarterPacks::kMigrationMarker)};
    const AppData before = data;
    StarterPacks::upgrade(data);
    EXPECT_EQ(data, before);
}

TEST(StarterPacksUpgrade, AddsAnimalsAndTheMarkerWhenNothingIsLegacy) {
    AppData data = document({profile("Default"), profile("Mine")}, 1);
    const Uuid active = data.activeProfileID;
    StarterPacks::upgrade(data);
    EXPECT_TRUE(hasMarker(data));
    EXPECT_EQ(names(data), (std::vector<std::string>{"Default", "Mine", "Animals"}));
    EXPECT_EQ(data.activeProfileID, active);

    const AppData once = data;
    StarterPacks::upgrade(data); // runs only once
    EXPECT_EQ(data, once);
}

TEST(StarterPacksUpgrade, RefreshesOnlyUneditedMemeModeAndArcade) {
    struct Case {
        const char *what;
        Profile legacy;
        bool refreshed;
        std::size_t refreshedKeyCount;
        double variation;
    };
    SoundMap oneKeyChanged = legacyMeme();
    oneKeyChanged["49"] = "rec.wow";
    SoundMap oneKeyMore = legacyArcade();
    oneKeyMore["50"] = "synth.pop";
    const Case cases[] = {
        {"unedited meme (volumes changed)", profile("Meme mode", legacyMeme()), true, 20, 0.06},
        {"meme with one key reassigned", profile("Meme mode", oneKeyChanged), false, 0, 0},
        {"unedited arcade", profile("Arcade", legacyArcade()), true, 6, 0.15},
        {"arcade with one key more", profile("Arcade", oneKeyMore), false, 0, 0},
        {"legacy meme map under another name", profile("meme mode", legacyMeme()), false, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        AppData data = document({profile("Default"), c.legacy}, 0);
        StarterPacks::upgrade(data);
        const Profile &after = data.profiles[1];
        EXPECT_EQ(after.id, c.legacy.id);
        EXPECT_EQ(after.name, c.legacy.name);
        EXPECT_EQ(after.color, c.legacy.color);
        EXPECT_EQ(after.baseSoundID, c.legacy.baseSoundID);
        if (c.refreshed) {
            EXPECT_EQ(after.keys.size(), c.refreshedKeyCount);
            for (const auto &[code, assignment] : after.keys) {
                EXPECT_EQ(assignment.volume, 1.0) << code;
                EXPECT_EQ(assignment.pitchVariation, c.variation) << code;
            }
        } else {
            EXPECT_EQ(after.keys, c.legacy.keys);
        }
    }
}

TEST(StarterPacksUpgrade, RetiresUneditedCatCafeAndBarnyard) {
    struct Case {
        const char *what;
        std::vector<Profile> profiles;
        std::size_t active;
        std::vector<std::string> expectedNames;
        const char *expectedActive;
    };
    SoundMap editedCat = legacyCatCafe();
    editedCat.erase("49");
    const Case cases[] = {
        {"active cat cafe gives way to a new, active Animals",
         {profile("Default"), profile("Cat cafe", legacyCatCafe())},
         1,
         {"Default", "Animals"},
         "Animals"},
        {"inactive barnyard goes, the active profile stays",
         {profile("Default"), profile("Barnyard", legacyBarnyard())},
         0,
         {"Default", "Animals"},
         "Default"},
        {"with Animals present, the first remaining profile becomes active",
         {profile("Work"), profile("Animals"), profile("Cat cafe", legacyCatCafe())},
         2,
         {"Work", "Animals"},
         "Work"},
        {"lower-case name is never retired",
         {profile("cat cafe", legacyCatCafe())},
         0,
         {"cat cafe", "Animals"},
         "cat cafe"},
        {"edited cat cafe stays", {profile("Cat cafe", editedCat)}, 0, {"Cat cafe", "Animals"}, "Cat cafe"},
        {"both retired, active one re-pointed to Animals",
         {profile("Barnyard", legacyBarnyard()), profile("Cat cafe", legacyCatCafe()), profile("Default")},
         0,
         {"Default", "Animals"},
         "Animals"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        AppData data = document(c.profiles, c.active);
        StarterPacks::upgrade(data);
        EXPECT_TRUE(hasMarker(data));
        EXPECT_EQ(names(data), c.expectedNames);
        EXPECT_EQ(data.activeProfile().name, c.expectedActive);
        EXPECT_TRUE(std::any_of(data.profiles.begin(), data.profiles.end(),
                                [&](const Profile &p) { return p.id == data.activeProfileID; }));
    }
}

// An edited, active "Cat cafe" shares its name with an unedited one that is retired: the active one was
// not retired, so it must stay active rather than give way to the new Animals profile.
TEST(StarterPacksUpgrade, EditedActiveProfileKeepsItsPlaceBesideARetiredNamesake) {
    SoundMap edited = legacyCatCafe();
    edited["49"] = "rec.wow";
    AppData data = document({profile("Default"), profile("Cat cafe", edited), profile("Cat cafe", legacyCatCafe())}, 1);
    const Uuid editedID = data.profiles[1].id;
    StarterPacks::upgrade(data);
    EXPECT_EQ(names(data), (std::vector<std::string>{"Default", "Cat cafe", "Animals"}));
    EXPECT_EQ(data.activeProfileID, editedID);
}

TEST(StarterPacksUpgrade, DanglingActiveIdPointsAtTheFirstProfile) {
    AppData data = document({profile("Default"), profile("Other")}, 1);
    data.activeProfileID = Uuid::random();
    StarterPacks::upgrade(data);
    EXPECT_EQ(data.activeProfileID, data.profiles.front().id);
}

} // namespace
} // namespace tc
