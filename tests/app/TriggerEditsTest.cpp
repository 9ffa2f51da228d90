// The edits of one trigger's fields: each changes the first trigger with the id, and every one of them saves
// and pushes, also when the trigger is gone; a typed word that cleans to nothing changes and saves nothing.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tc::test {
namespace {

using Apps = std::vector<std::string>;

AppData savedDocument(const Harness &harness) {
    return decodeAppData(harness.readDocument().toStdString());
}

struct FieldEdit {
    const char *name;
    Trigger::Kind kind; // the target trigger's kind before the edit
    Apps apps;          // and its applications
    std::function<void(AppModel &, const Uuid &)> edit;
    std::function<void(Trigger &)> expected; // applied to the target's copy from before the edit
};

TEST(TriggerEdits, EachEditChangesOnlyTheFirstTriggerWithTheIdThenSavesAndPushes) {
    const Trigger::Kind shortcut = Trigger::Kind::shortcut(1, 0x100000);
    const FieldEdit edits[] = {
        {"switched off",
         shortcut,
         {},
         [](AppModel &m, const Uuid &id) { m.setTriggerEnabled(id, false); },
         [](Trigger &t) { t.enabled = false; }},
        {"default shortcut",
         Trigger::Kind::word("lol"),
         {"firefox"},
         [](AppModel &m, const Uuid &id) { m.setTriggerKind(id, Trigger::Kind::shortcut(3, 0x60000)); },
         [](Trigger &t) { t.kind = Trigger::Kind::shortcut(3, 0x60000); }},
        {"the same kind again replaces it",
         Trigger::Kind::word("lol"),
         {},
         [](AppModel &m, const Uuid &id) { m.setTriggerKind(id, Trigger::Kind::word("yay")); },
         [](Trigger &t) { t.kind = Trigger::Kind::word("yay"); }},
        {"typed word is cleaned",
         Trigger::Kind::word("lol"),
         {},
         [](AppModel &m, const Uuid &id) { m.setTriggerWord(id, "GG WP!"); },
         [](Trigger &t) { t.kind = Trigger::Kind::word("ggwp"); }},
        {"typed word on a shortcut makes a word trigger",
         shortcut,
         {},
         [](AppModel &m, const Uuid &id) { m.setTriggerWord(id, "Привет ½!"); },
         [](Trigger &t) { t.kind = Trigger::Kind::word("привет½"); }},
        {"sound",
         shortcut,
         {"firefox"},
         [](AppModel &m, const Uuid &id) { m.setTriggerSound(id, "synth.meow"); },
         [](Trigger &t) { t.soundID = "synth.meow"; }},
        {"app added at the end",
         shortcut,
         {"Zoom"},
         [](AppModel &m, const Uuid &id) { m.addTriggerApp(id, "firefox"); },
         [](Trigger &t) {
             t.appBundleIDs = {"Zoom", "firefox"};
         }},
        {"app held already is not added twice",
         shortcut,
         {"firefox", "Zoom"},
         [](AppModel &m, const Uuid &id) { m.addTriggerApp(id, "firefox"); },
         [](Trigger &) {}},
        {"app ids compare exactly",
         shortcut,
         {"firefox"},
         [](AppModel &m, const Uuid &id) { m.addTriggerApp(id, "Firefox"); },
         [](Trigger &t) {
             t.appBundleIDs = {"firefox", "Firefox"};
         }},
        {"every occurrence removed, the rest in order",
         shortcut,
         {"firefox", "Zoom", "firefox", "slack"},
         [](AppModel &m, const Uuid &id) { m.removeTriggerApp(id, "firefox"); },
         [](Trigger &t) {
             t.appBundleIDs = {"Zoom", "slack"};
         }},
        {"removing an app it lacks",
         shortcut,
         {"Zoom"},
         [](AppModel &m, const Uuid &id) { m.removeTriggerApp(id, "firefox"); },
         [](Trigger &) {}},
        {"every app again",
         shortcut,
         {"a", "b", "c"},
         [](AppModel &m, const Uuid &id) { m.allowTriggerInEveryApp(id); },
         [](Trigger &t) { t.appBundleIDs.clear(); }},
    };
    for (const FieldEdit &c : edits) {
        SCOPED_TRACE(c.name);
        Harness harness;
        AppModel &model = harness.started();
        // The target sits between other triggers; a hand-edited document repeats its id further on.
        Uuid id;
        model.commitEdit([&](AppData &document) {
            Trigger &target = document.triggers[1];
            target.kind = c.kind;
            target.appBundleIDs = c.apps;
            id = target.id;
            Trigger twin = target;
            twin.soundID = "synth.coin";
            document.triggers.push_back(twin);
        });

        const EditOutcome outcome = measureEdit(harness, [&](AppModel &m) { c.edit(m, id); });
        AppData expected = outcome.before;
        c.expected(expected.triggers[1]);
        EXPECT_EQ(model.data(), expected);
        EXPECT_EQ(model.trigger(id), &model.data().triggers[1]); // the first with the id
        // The one trigger is signalled, and only when it changed.
        const std::vector<std::string> signalled = {"triggers " + id.toString()};
        EXPECT_EQ(outcome.changes, expected == outcome.before ? std::vector<std::string>() : signalled);
        EXPECT_TRUE(outcome.pushed);
        EXPECT_EQ(outcome.writes, 1u);
        EXPECT_EQ(savedDocument(harness), expected);
    }
}

TEST(TriggerEdits, AnEditOfATriggerThatIsGoneChangesNothingSignalsNothingButStillSavesAndPushes) {
    const std::pair<const char *, std::function<void(AppModel &, const Uuid &)>> edits[] = {
        {"on/off", [](AppModel &m, const Uuid &id) { m.setTriggerEnabled(id, false); }},
        {"kind", [](AppModel &m, const Uuid &id) { m.setTriggerKind(id, Trigger::Kind::word("yay")); }},
        {"word", [](AppModel &m, const Uuid &id) { m.setTriggerWord(id, "yay"); }},
        {"sound", [](AppModel &m, const Uuid &id) { m.setTriggerSound(id, "synth.meow"); }},
        {"add app", [](AppModel &m, const Uuid &id) { m.addTriggerApp(id, "firefox"); }},
        {"remove app", [](AppModel &m, const Uuid &id) { m.removeTriggerApp(id, "firefox"); }},
        {"every app", [](AppModel &m, const Uuid &id) { m.allowTriggerInEveryApp(id); }},
    };
    for (const auto &[name, edit] : edits) {
        SCOPED_TRACE(name);
        Harness harness;
        AppModel &model = harness.started();
        const Uuid gone = model.data().triggers.front().id;
        model.deleteTrigger(gone);
        EXPECT_EQ(model.trigger(gone), nullptr);

        const EditOutcome outcome = measureEdit(harness, [&](AppModel &m) { edit(m, gone); });
        EXPECT_EQ(model.data(), outcome.before);
        EXPECT_TRUE(outcome.changes.empty());
        EXPECT_TRUE(outcome.pushed);
        EXPECT_EQ(outcome.writes, 1u);
    }
}

TEST(TriggerEdits, ATypedWordThatCleansToNothingLeavesTheWordAndSavesNothing) {
    for (const char *typed : {"", "   ", "?!", "  -- . "}) {
        SCOPED_TRACE(typed);
        Harness harness;
        AppModel &model = harness.started();
        const Uuid id = model.data().triggers[2].id; // "lol"
        const EditOutcome outcome = measureEdit(harness, [&](AppModel &m) { m.setTriggerWord(id, typed); });
        EXPECT_EQ(model.data(), outcome.before);
        EXPECT_EQ(model.trigger(id)->kind, Trigger::Kind::word("lol"));
        EXPECT_TRUE(outcome.changes.empty());
        EXPECT_FALSE(outcome.pushed);
        EXPECT_EQ(outcome.writes, 0u);
    }
}

TEST(TriggerEdits, TheRouterPlaysWhatTheEditsLeave) {
    Harness harness;
    AppModel &model = harness.started();
    const Uuid id = model.data().triggers[0].id; // Ctrl+S plays synth.tada
    const auto hasShortcut = [&] {
        const auto &triggers = harness.router.config()->shortcutTriggers;
        return std::any_of(triggers.begin(), triggers.end(),
                           [](const RuntimeConfig::ShortcutTrigger &t) { return t.code == 3; });
    };
    model.setTriggerKind(id, Trigger::Kind::shortcut(3, 0x60000));
    EXPECT_TRUE(hasShortcut());
    model.setTriggerEnabled(id, false);
    EXPECT_FALSE(hasShortcut());
    model.setTriggerEnabled(id, true);
    model.addTriggerApp(id, "firefox"); // while another application is in front
    EXPECT_FALSE(hasShortcut());
    harness.activate("firefox", "Firefox");
    EXPECT_TRUE(hasShortcut());

    model.setTriggerWord(id, "Ship It");
    model.setTriggerSound(id, "synth.meow");
    EXPECT_FALSE(hasShortcut());
    EXPECT_EQ(harness.router.config()->wordTriggers.at("shipit"), "synth.meow");
}

} // namespace
} // namespace tc::test
