// The edit operations on keys, sounds, profiles, triggers, rules and settings.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <QDir>
#include <gtest/gtest.h>

#include <fstream>

namespace tc::test {
namespace {

std::vector<std::string> profileNames(const AppModel &model) {
    std::vector<std::string> names;
    for (const auto &profile : model.data().profiles) {
        names.push_back(profile.name);
    }
    return names;
}

// An edit was saved (0.4 s later) and pushed to the router at once.
void expectSavedAndPushed(Harness &harness, const AppModel &model) {
    EXPECT_EQ(harness.router.config()->profile, std::optional<Profile>(model.effectiveProfile()));
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), model.data());
}

TEST(ProfileEdits, NewNamesAreMadeUniqueWithNumbers) {
    Harness harness;
    auto &model = harness.make();
    model.addProfile("Default");
    EXPECT_EQ(model.data().activeProfile().name, "Default 2");
    model.addProfile("Default");
    EXPECT_EQ(model.data().activeProfile().name, "Default 3");
    EXPECT_EQ(model.data().activeProfile().baseSoundID, "synth.brown");
    EXPECT_EQ(model.data().activeProfile().color, ProfileColor::white);
    EXPECT_TRUE(model.data().activeProfile().keys.empty());
    model.addProfile("default"); // names compare case-sensitively
    EXPECT_EQ(model.data().activeProfile().name, "default");

    model.duplicateProfile(profileNamed(model, "Arcade").id);
    EXPECT_EQ(model.data().activeProfile().name, "Arcade copy");
    EXPECT_EQ(model.data().activeProfile().keys, profileNamed(model, "Arcade").keys);
    EXPECT_NE(model.data().activeProfile().id, profileNamed(model, "Arcade").id);
    model.duplicateProfile(profileNamed(model, "Arcade").id);
    EXPECT_EQ(model.data().activeProfile().name, "Arcade copy 2");
    EXPECT_EQ(profileNames(model).back(), "Arcade copy 2"); // appended at the end
    expectSavedAndPushed(harness, model);
}

TEST(ProfileEdits, DuplicatingAnUnknownProfileDoesNothingAndSavesNothing) {
    Harness harness;
    auto &model = harness.make();
    const auto before = model.data();
    model.duplicateProfile(Uuid::random());
    EXPECT_EQ(model.data(), before);
    harness.time.advance(1);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 0u);
}

TEST(ProfileEdits, RenameTrimsAndIgnoresBlankNames) {
    Harness harness;
    auto &model = harness.make();
    const auto id = model.data().profiles[0].id;
    model.renameProfile(id, " \t  ");
    EXPECT_EQ(model.data().profiles[0].name, "Default");
    harness.time.advance(1);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 0u);

    model.renameProfile(id, "  Arcade\t");
    EXPECT_EQ(model.data().profiles[0].name, "Arcade"); // the name of another profile is allowed
    model.setProfileColor(id, ProfileColor::green);
    EXPECT_EQ(model.data().profiles[0].color, ProfileColor::green);
    expectSavedAndPushed(harness, model);
}

TEST(ProfileEdits, DeletingTheActiveProfileMovesItsRulesToTheNewActiveProfile) {
    Harness harness;
    auto &model = harness.make();
    const auto meme = profileNamed(model, "Meme mode").id;
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("org.gnome.Terminal", "Terminal", meme);
    model.setRule("firefox", "Firefox", arcade);
    model.deleteProfile(meme);
    EXPECT_EQ(profileNames(model), (std::vector<std::string>{"Default", "Animals", "Arcade"}));
    EXPECT_EQ(model.data().activeProfile().name, "Default");
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles[0].id);
    EXPECT_EQ(model.data().appRules[2].profileID, model.data().profiles[0].id);
    EXPECT_EQ(model.data().appRules[3].profileID, arcade);
    EXPECT_FALSE(model.data().appRules[0].profileID); // a silencing rule stays one
    expectSavedAndPushed(harness, model);

    // Deleting a profile that is not active keeps the active one; its rules follow the active one.
    model.setRule("firefox", "Firefox", arcade);
    model.deleteProfile(arcade);
    EXPECT_EQ(model.data().activeProfile().name, "Default");
    EXPECT_EQ(model.data().appRules[3].profileID, model.data().activeProfileID);
}

TEST(ProfileEdits, TheLastProfileIsNeverDeleted) {
    Harness harness;
    auto &model = harness.make();
    while (model.data().profiles.size() > 1) {
        model.deleteProfile(model.data().profiles.back().id);
    }
    const auto before = model.data();
    model.deleteProfile(model.data().profiles[0].id);
    EXPECT_EQ(model.data(), before);
}

TEST(ProfileEdits, SetActiveProfileFallsBackToTheFirstForAnUnknownId) {
    Harness harness;
    auto &model = harness.make();
    const auto animals = profileNamed(model, "Animals").id;
    model.setActiveProfile(animals);
    EXPECT_EQ(model.data().activeProfileID, animals);
    model.setActiveProfile(Uuid::random());
    EXPECT_EQ(model.data().activeProfileID, model.data().profiles[0].id);
    expectSavedAndPushed(harness, model);
}

TEST(TriggerAndRuleEdits, AddDeleteSetAndRemove) {
    Harness harness;
    auto &model = harness.make();
    const auto id = model.addTrigger(Trigger::Kind::word("yay"), "synth.coin");
    const auto &added = model.data().triggers.back();
    EXPECT_EQ(added.id, id);
    EXPECT_TRUE(added.enabled);
    EXPECT_TRUE(added.appBundleIDs.empty());
    EXPECT_EQ(harness.router.config()->wordTriggers.at("yay"), "synth.coin");
    model.deleteTrigger(id);
    EXPECT_EQ(model.data().triggers.size(), 5u);
    EXPECT_FALSE(harness.router.config()->wordTriggers.contains("yay"));

    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("Zoom", "Renamed", arcade);
    EXPECT_EQ(model.data().appRules[0], (AppRule{"Zoom", "Zoom", arcade})); // only the profile changes
    model.setRule("firefox", "Firefox", std::nullopt);
    EXPECT_EQ(model.data().appRules.back(), (AppRule{"firefox", "Firefox", std::nullopt}));
    model.commitEdit([](AppData &data) { data.appRules.push_back(AppRule{"firefox", "Again", std::nullopt}); });
    model.removeRule("firefox");
    EXPECT_EQ(model.data().appRules.size(), 2u);
    model.removeRule("Firefox"); // exact comparison: nothing matches
    EXPECT_EQ(model.data().appRules.size(), 2u);
    expectSavedAndPushed(harness, model);
}

TEST(KeyEdits, AssignKeepsExistingOptionsAndGivesNewKeysTheDefaults) {
    Harness harness;
    auto &model = harness.make();
    model.setActiveProfile(model.data().profiles[0].id); // "Default": no keys
    model.assign("synth.meow", {12});
    model.editAssignments({12, 13}, [](KeyAssignment &assignment) {
        assignment.volume = 0.5;
        assignment.layerBase = true;
    });
    EXPECT_FALSE(model.data().activeProfile().assignment(13)); // not created
    model.assign("synth.boing", {12, 13});

    const auto &profile = model.data().activeProfile();
    EXPECT_EQ(profile.assignment(12), (KeyAssignment{"synth.boing", 0.5, 0.06, false, true, false}));
    EXPECT_EQ(profile.assignment(13), (KeyAssignment{"synth.boing", 1.0, 0.06, false, false, false}));
    EXPECT_EQ(model.data().settings.coachStep, 3);
    expectSavedAndPushed(harness, model);
}

TEST(KeyEdits, AssignToNoKeysDoesNothingAtAll) {
    Harness harness;
    auto &model = harness.make();
    const auto before = model.data();
    model.assign("synth.meow", {});
    EXPECT_EQ(model.data(), before);
    EXPECT_EQ(model.data().settings.coachStep, 1);
    harness.time.advance(1);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 0u);
}

TEST(KeyEdits, ResetAndBaseSoundWorkOnTheActiveProfile) {
    Harness harness;
    auto &model = harness.make(); // Meme mode: Space 49 and Q 12 have sounds
    model.resetKeys({49, 12, 1});
    EXPECT_FALSE(model.data().activeProfile().assignment(49));
    EXPECT_FALSE(model.data().activeProfile().assignment(12));
    EXPECT_TRUE(model.data().activeProfile().assignment(13));
    model.setBaseSound("synth.cream");
    EXPECT_EQ(model.data().activeProfile().baseSoundID, "synth.cream");
    expectSavedAndPushed(harness, model);
}

TEST(KeyEdits, CoachOnlyMovesForward) {
    Harness harness;
    auto &model = harness.make();
    model.advanceCoach(3);
    model.flushPendingSave();
    const auto writes = harness.writeCount();
    model.advanceCoach(2);
    model.advanceCoach(3);
    EXPECT_EQ(model.data().settings.coachStep, 3);
    model.flushPendingSave();
    EXPECT_EQ(harness.writeCount(), writes);
    model.advanceCoach(4);
    EXPECT_EQ(model.data().settings.coachStep, 4);
}

TEST(KeyEdits, KeysUsingListsLabelsInCodeOrder) {
    Harness harness;
    auto &model = harness.make();
    model.setActiveProfile(model.data().profiles[0].id); // base "synth.cream"
    model.assign("synth.meow", {49, 12, 200, 125});
    model.commitEdit([](AppData &data) {
        data.profiles[0].keys["x"] = KeyAssignment{.soundID = "synth.meow"};   // not a key code: left out
        data.profiles[0].keys["012"] = KeyAssignment{.soundID = "synth.meow"}; // never played: left out too
    });
    EXPECT_EQ(model.keysUsing("synth.meow"), (std::vector<std::string>{"Q", "SPACE", "↓", "KEY 200"}));
    model.assign("synth.cream", {49});
    EXPECT_EQ(model.keysUsing("synth.cream"), std::vector<std::string>{"Base sound"});
    EXPECT_TRUE(model.keysUsing("synth.coin").empty());
}

TEST(SoundEdits, SoundsListBuiltinsThenUserSounds) {
    Harness harness;
    auto &model = harness.make();
    EXPECT_EQ(model.sound("none"), (SoundItem{"none", "Silent", SoundCategory::mechanical, std::nullopt, 0.0}));
    EXPECT_EQ(model.sound("synth.meow")->name, "Meow");
    EXPECT_FALSE(model.sound("synth.nothing"));
    EXPECT_EQ(model.allSounds().front().duration, 0.0); // not loaded yet

    std::filesystem::path file = harness.folder().toStdString() + "/Hello.wav";
    std::ofstream(file) << "x";
    const auto item = model.importSound(file);
    EXPECT_EQ(item.name, "Hello");
    EXPECT_EQ(model.data().userSounds, std::vector<SoundItem>{item});
    EXPECT_EQ(model.allSounds().back(), item);
    EXPECT_EQ(model.sound(item.id), item);
    EXPECT_EQ(model.soundsVersion(), 1);
    EXPECT_EQ(harness.router.config()->categoryOf.at(item.id), SoundCategory::mine);
    EXPECT_TRUE(std::filesystem::exists(file)); // an import copies; the file stays
    expectSavedAndPushed(harness, model);
}

TEST(SoundEdits, AFailedImportChangesNothing) {
    Harness harness;
    auto &model = harness.make();
    const auto before = model.data();
    try {
        model.importSound("/tmp/bad.wav");
        FAIL() << "no error";
    } catch (const std::exception &error) {
        EXPECT_STREQ(error.what(), "This file isn't an audio format Tapchime can read.");
    }
    EXPECT_EQ(model.data(), before);
    EXPECT_EQ(model.soundsVersion(), 0);
}

TEST(SoundEdits, RecordingsAreNumberedByTheSoundsNamedRecording) {
    Harness harness;
    auto &model = harness.make();
    const auto take = [&] {
        std::filesystem::path file = harness.folder().toStdString() + "/take.m4a";
        std::ofstream(file) << "x";
        auto item = model.addRecording(file);
        EXPECT_FALSE(std::filesystem::exists(file)); // the temporary take is removed
        return item;
    };
    EXPECT_EQ(take().name, "Recording 1");
    model.renameSound(model.data().userSounds[0].id, "Recordings of rain"); // still begins with "Recording"
    EXPECT_EQ(take().name, "Recording 2");
    EXPECT_EQ(take().name, "Recording 3");
    EXPECT_EQ(model.soundsVersion(), 3);

    // A take that fails to import stays where it is.
    std::filesystem::path bad = harness.folder().toStdString() + "/bad.m4a";
    std::ofstream(bad) << "x";
    EXPECT_ANY_THROW(model.addRecording(bad));
    EXPECT_TRUE(std::filesystem::exists(bad));
}

TEST(SoundEdits, RenameTrimsAndOnlyTouchesUserSounds) {
    Harness harness;
    auto &model = harness.make();
    model.commitEdit([](AppData &data) {
        data.userSounds.push_back({"user.1", "Old", SoundCategory::mine, "user.1.wav", 1.0});
    });
    model.renameSound("user.1", "  New name\t");
    EXPECT_EQ(model.data().userSounds[0].name, "New name");
    model.renameSound("user.1", "   ");
    EXPECT_EQ(model.data().userSounds[0].name, "New name");
    model.renameSound("synth.meow", "Cat");
    EXPECT_EQ(model.sound("synth.meow")->name, "Meow");
}

TEST(SoundEdits, DeletingAUserSoundRemovesItsKeysAndTriggersButNotABaseSound) {
    Harness harness;
    auto &model = harness.make();
    const SoundItem mine{"user.1", "Mine", SoundCategory::mine, "user.1.wav", 1.0};
    model.commitEdit([&](AppData &data) {
        data.userSounds.push_back(mine);
        data.profiles[0].keys["12"] = KeyAssignment{.soundID = "user.1"};
        data.profiles[2].keys["49"] = KeyAssignment{.soundID = "user.1"};
        data.profiles[3].baseSoundID = "user.1";
        data.triggers[0].soundID = "user.1";
    });
    model.setBrushSoundID("user.1");
    model.deleteUserSound(mine);
    EXPECT_EQ(harness.library.deletes, std::vector<std::string>{"user.1"});
    EXPECT_TRUE(model.data().userSounds.empty());
    EXPECT_FALSE(model.data().profiles[0].assignment(12));
    EXPECT_FALSE(model.data().profiles[2].assignment(49));
    EXPECT_EQ(model.data().profiles[3].baseSoundID, "user.1");
    EXPECT_EQ(model.data().triggers.size(), 4u);
    // Painting must never assign a deleted id: the brush goes back to its default sound.
    EXPECT_EQ(model.brushSoundID(), AppModel::kDefaultBrushSoundID);
    EXPECT_FALSE(model.sound("user.1"));
    EXPECT_EQ(model.soundsVersion(), 1);
    expectSavedAndPushed(harness, model);
}

TEST(SoundEdits, ImportingAPackAddsItsSoundsAndMakesItsProfileActive) {
    Harness harness;
    auto &model = harness.make();
    model.importPack("/tmp/friends.tapchime");
    model.importPack("/tmp/friends.tapchime");
    EXPECT_EQ(model.data().activeProfile().name, "Shared 2");
    EXPECT_EQ(model.data().profiles.size(), 6u);
    EXPECT_EQ(model.data().userSounds.size(), 2u);
    EXPECT_EQ(model.soundsVersion(), 2);
    EXPECT_EQ(harness.router.config()->profile->name, "Shared 2");
    expectSavedAndPushed(harness, model);

    const auto before = model.data();
    try {
        model.importPack("/tmp/bad.tapchime");
        FAIL() << "no error";
    } catch (const std::exception &error) {
        EXPECT_STREQ(error.what(), "This .tapchime file couldn't be read.");
    }
    EXPECT_EQ(model.data(), before);
    EXPECT_EQ(model.soundsVersion(), 2);

    EXPECT_TRUE(model.exportPack("/tmp/out.tapchime"));
    ASSERT_EQ(harness.library.exports.size(), 1u);
    EXPECT_EQ(harness.library.exports[0].first, model.data().activeProfile());
    EXPECT_EQ(harness.library.exports[0].second, model.data().userSounds);
    EXPECT_FALSE(model.exportPack("/tmp/bad.tapchime"));
}

TEST(SettingEdits, ABoundSettingSavesAndPushes) {
    Harness harness;
    auto &model = harness.make();
    model.setSetting(&AppSettings::masterVolume, 0.3);
    EXPECT_EQ(model.setting(&AppSettings::masterVolume), 0.3);
    EXPECT_FLOAT_EQ(harness.router.config()->masterVolume, 0.3f);
    const auto spread = model.binding(&AppSettings::stereoSpread);
    spread.set(false);
    EXPECT_FALSE(spread.get());
    EXPECT_FALSE(harness.router.config()->stereoSpread);
    expectSavedAndPushed(harness, model);
}

TEST(SettingEdits, CompletingOnboardingClosesTheSheetForGood) {
    Harness harness;
    auto &model = harness.started();
    EXPECT_TRUE(model.showOnboarding());
    model.completeOnboarding();
    EXPECT_FALSE(model.showOnboarding());
    model.flushPendingSave();

    Harness next;
    next.writeDocument(harness.readDocument());
    EXPECT_FALSE(next.started().showOnboarding());
}

} // namespace
} // namespace tc::test
