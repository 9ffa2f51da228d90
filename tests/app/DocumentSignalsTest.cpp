// The document tells its observers exactly which part changed, with the ids a view can use, and nothing when an
// edit changes nothing; every edit still saves and pushes.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tc::test {
namespace {

// Ids of the default document, as the cases name them.
struct Ids {
    std::string active;  // the active profile (Meme)
    std::string arcade;  // a profile that is not active
    std::string trigger; // the first trigger
    Uuid activeID;
    Uuid arcadeID;
    Uuid triggerID;
};

Ids idsOf(const AppModel &model) {
    Ids ids;
    ids.activeID = model.data().activeProfileID;
    ids.arcadeID = profileNamed(model, "Arcade").id;
    ids.triggerID = model.data().triggers.front().id;
    ids.active = ids.activeID.toString();
    ids.arcade = ids.arcadeID.toString();
    ids.trigger = ids.triggerID.toString();
    return ids;
}

struct Case {
    const char *name;
    std::function<void(AppModel &, const Ids &)> edit;
    std::function<std::vector<std::string>(const Ids &)> expected;
    bool saves = true; // an operation that refuses at once neither saves nor pushes
};

std::vector<std::string> none(const Ids &) {
    return {};
}

void letSaveRun(Harness &harness) {
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
}

AppData savedDocument(const Harness &harness) {
    return decodeAppData(harness.readDocument().toStdString());
}

TEST(DocumentSignals, EachEditSignalsExactlyThePartsItChangedAndStillSavesAndPushes) {
    const Case cases[] = {
        {"an edit that changes nothing", [](AppModel &m, const Ids &) { m.commitEdit([](AppData &) {}); }, none},
        {"rename the active profile", [](AppModel &m, const Ids &ids) { m.renameProfile(ids.activeID, "Loud"); },
         [](const Ids &ids) { return std::vector<std::string>{"profiles " + ids.active}; }},
        {"rename a profile to its own name",
         [](AppModel &m, const Ids &ids) { m.renameProfile(ids.arcadeID, "Arcade"); }, none},
        {"rename a profile that is gone", [](AppModel &m, const Ids &) { m.renameProfile(Uuid::random(), "X"); }, none},
        {"colour another profile",
         [](AppModel &m, const Ids &ids) { m.setProfileColor(ids.arcadeID, ProfileColor::green); },
         [](const Ids &ids) { return std::vector<std::string>{"profiles " + ids.arcade}; }},
        {"make another profile active", [](AppModel &m, const Ids &ids) { m.setActiveProfile(ids.arcadeID); },
         [](const Ids &) {
             return std::vector<std::string>{"profiles", "keys"};
         }},
        {"make the active profile active", [](AppModel &m, const Ids &ids) { m.setActiveProfile(ids.activeID); }, none},
        {"assign a sound to a key", [](AppModel &m, const Ids &) { m.assign("synth.coin", {49}); },
         [](const Ids &) {
             return std::vector<std::string>{"keys", "settings"};
         }}, // the coach moves on too
        {"the base sound", [](AppModel &m, const Ids &) { m.setBaseSound("synth.coin"); },
         [](const Ids &) { return std::vector<std::string>{"keys"}; }},
        {"the base sound it has",
         [](AppModel &m, const Ids &) { m.setBaseSound(m.data().activeProfile().baseSoundID); }, none},
        {"reset a key without its own sound", [](AppModel &m, const Ids &) { m.resetKeys({105}); }, none},
        {"add a trigger", [](AppModel &m, const Ids &) { m.addTrigger(Trigger::Kind::word("yay"), "synth.coin"); },
         [](const Ids &) { return std::vector<std::string>{"triggers"}; }},
        {"delete a trigger", [](AppModel &m, const Ids &ids) { m.deleteTrigger(ids.triggerID); },
         [](const Ids &) { return std::vector<std::string>{"triggers"}; }},
        {"delete a trigger that is gone", [](AppModel &m, const Ids &) { m.deleteTrigger(Uuid::random()); }, none},
        {"switch a trigger off", [](AppModel &m, const Ids &ids) { m.setTriggerEnabled(ids.triggerID, false); },
         [](const Ids &ids) { return std::vector<std::string>{"triggers " + ids.trigger}; }},
        {"switch a trigger on that is on",
         [](AppModel &m, const Ids &ids) { m.setTriggerEnabled(ids.triggerID, true); }, none},
        {"a rule's profile", [](AppModel &m, const Ids &ids) { m.setRule("Zoom", "Zoom", ids.arcadeID); },
         [](const Ids &) { return std::vector<std::string>{"appRules Zoom"}; }},
        {"a rule as it is", [](AppModel &m, const Ids &) { m.setRule("Zoom", "Zoom", std::nullopt); }, none},
        {"a new rule", [](AppModel &m, const Ids &) { m.setRule("firefox", "Firefox", std::nullopt); },
         [](const Ids &) { return std::vector<std::string>{"appRules"}; }},
        {"remove a rule", [](AppModel &m, const Ids &) { m.removeRule("Zoom"); },
         [](const Ids &) { return std::vector<std::string>{"appRules"}; }},
        {"remove a rule there is not", [](AppModel &m, const Ids &) { m.removeRule("firefox"); }, none},
        {"sounds off", [](AppModel &m, const Ids &) { m.toggleSounds(); },
         [](const Ids &) { return std::vector<std::string>{"settings"}; }},
        {"a setting to its own value", [](AppModel &m, const Ids &) { m.setSetting(&AppSettings::enabled, true); },
         none},
        {"delete a profile a rule plays",
         [](AppModel &m, const Ids &ids) {
             m.commitEdit([&](AppData &data) { data.appRules.front().profileID = ids.arcadeID; });
             m.deleteProfile(ids.arcadeID);
         },
         [](const Ids &) {
             return std::vector<std::string>{"appRules Zoom", "profiles", "appRules Zoom"};
         }},
        {"one edit of two parts",
         [](AppModel &m, const Ids &) {
             m.commitEdit([](AppData &data) {
                 data.settings.enabled = false;
                 data.triggers.front().soundID = "synth.coin";
             });
         },
         [](const Ids &ids) {
             return std::vector<std::string>{"triggers " + ids.trigger, "settings"};
         }},
        {"another profile's keys",
         [](AppModel &m, const Ids &ids) {
             m.commitEdit([&](AppData &data) {
                 for (auto &profile : data.profiles) {
                     if (profile.id == ids.arcadeID) {
                         profile.keys.clear();
                     }
                 }
             });
         },
         [](const Ids &ids) { return std::vector<std::string>{"profiles " + ids.arcade}; }},
        {"a user sound added",
         [](AppModel &m, const Ids &) {
             m.commitEdit([](AppData &data) {
                 data.userSounds.push_back({"user.a", "A", SoundCategory::mine, {}, 1});
             });
         },
         [](const Ids &) { return std::vector<std::string>{"userSounds"}; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Harness harness;
        AppModel &model = harness.started();
        const Ids ids = idsOf(model);
        const EditOutcome outcome = measureEdit(harness, [&](AppModel &m) { c.edit(m, ids); });
        EXPECT_EQ(outcome.changes, c.expected(ids));
        EXPECT_EQ(outcome.pushed, c.saves);
        EXPECT_EQ(outcome.writes, c.saves ? 1u : 0u);
    }
}

TEST(DocumentSignals, ARenamedUserSoundIsSignalledByItsId) {
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) {
        data.userSounds.push_back({"user.a", "A", SoundCategory::mine, {}, 1});
        data.userSounds.push_back({"user.b", "B", SoundCategory::mine, {}, 1});
    });
    const auto renamed = measureEdit(harness, [](AppModel &m) { m.renameSound("user.b", "Bee"); });
    EXPECT_EQ(renamed.changes, std::vector<std::string>{"userSounds user.b"});
    const auto same = measureEdit(harness, [](AppModel &m) { m.renameSound("user.b", " Bee "); });
    EXPECT_TRUE(same.changes.empty());
    EXPECT_EQ(same.writes, 1u);
}

TEST(DocumentSignals, TheSaveOfABurstOfEditsWritesTheLastDocument) {
    Harness harness;
    AppModel &model = harness.started();
    letSaveRun(harness);
    const auto writes = harness.writeCount();
    const Uuid id = model.data().triggers[2].id; // "lol"
    for (const char *typed : {"l", "lo", "lol", "lolz"}) {
        model.setTriggerWord(id, typed);
        harness.time.advance(AppModel::kSaveDelay / 4);
    }
    letSaveRun(harness);
    EXPECT_EQ(harness.writeCount(), writes + 1);
    EXPECT_EQ(savedDocument(harness), model.data());
    EXPECT_EQ(model.trigger(id)->kind, Trigger::Kind::word("lolz"));
}

} // namespace
} // namespace tc::test
