// The switches of the settings that the screens flip: sounds on and off, the coach card, the seen tips.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

namespace tc::test {
namespace {

struct SwitchEdit {
    const char *name;
    std::function<void(AppSettings &)> setup;
    std::function<void(AppModel &)> edit;
    std::function<void(AppSettings &)> expected; // applied to the settings from before the edit
    int settingsSignals;                         // 0: nothing changed, nothing saved or pushed
};

TEST(SettingSwitches, EachSwitchChangesItsSettingAndSavesAndPushesOnlyWhenItChangesSomething) {
    const auto none = [](AppSettings &) {};
    const SwitchEdit edits[] = {
        {"sounds off", none, [](AppModel &m) { m.toggleSounds(); }, [](AppSettings &s) { s.enabled = false; }, 1},
        {"sounds on again", [](AppSettings &s) { s.enabled = false; }, [](AppModel &m) { m.toggleSounds(); },
         [](AppSettings &s) { s.enabled = true; }, 1},
        {"coach dismissed", none, [](AppModel &m) { m.dismissCoach(); },
         [](AppSettings &s) { s.coachDismissed = true; }, 1},
        {"a first tip seen", none, [](AppModel &m) { m.markTipSeen("apps"); },
         [](AppSettings &s) { s.tipsSeen = {"apps"}; }, 1},
        {"another tip goes after it", [](AppSettings &s) { s.tipsSeen = {"apps"}; },
         [](AppModel &m) { m.markTipSeen("triggers"); },
         [](AppSettings &s) {
             s.tipsSeen = {"apps", "triggers"};
         },
         1},
        {"a tip seen already is not added again",
         [](AppSettings &s) {
             s.tipsSeen = {"apps", "sounds"};
         },
         [](AppModel &m) { m.markTipSeen("sounds"); }, none, 0},
    };
    for (const SwitchEdit &c : edits) {
        SCOPED_TRACE(c.name);
        Harness harness;
        AppModel &model = harness.started();
        model.commitEdit([&](AppData &document) { c.setup(document.settings); });

        const EditOutcome outcome = measureEdit(harness, c.edit);
        AppData expected = outcome.before;
        c.expected(expected.settings);
        EXPECT_EQ(model.data(), expected);
        EXPECT_EQ(outcome.changes, std::vector<std::string>(static_cast<std::size_t>(c.settingsSignals), "settings"));
        EXPECT_EQ(outcome.pushed, c.settingsSignals > 0);
        EXPECT_EQ(outcome.writes, static_cast<std::size_t>(c.settingsSignals));
        EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()), expected);
    }
}

TEST(SettingSwitches, SeenTipsAreAskedForById) {
    Harness harness;
    AppModel &model = harness.make();
    EXPECT_FALSE(model.isTipSeen("apps"));
    model.markTipSeen("apps");
    EXPECT_TRUE(model.isTipSeen("apps"));
    EXPECT_FALSE(model.isTipSeen("Apps")); // ids compare exactly
    EXPECT_FALSE(model.isTipSeen("sounds"));
}

TEST(SettingSwitches, TurningSoundsOffSilencesTheRouterWithoutANotice) {
    Harness harness;
    AppModel &model = harness.started();
    const std::size_t notices = harness.notices.size();
    QSignalSpy silence(&model, &AppModel::silenceChanged);
    model.toggleSounds();
    EXPECT_FALSE(harness.router.config()->enabled);
    ASSERT_TRUE(model.silence());
    EXPECT_EQ(model.silence()->kind, Silence::Kind::off);
    model.toggleSounds();
    EXPECT_TRUE(harness.router.config()->enabled);
    EXPECT_FALSE(model.silence());
    EXPECT_EQ(silence.count(), 2);
    EXPECT_EQ(harness.notices.size(), notices); // the hotkey shows its own notice; the screens show the state
}

} // namespace
} // namespace tc::test
