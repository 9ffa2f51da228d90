// The model's part of the App rules screen: a new rule for an application only when it has none, and the
// switch log as today's switches.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

void letSaveRun(Harness &harness) {
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
}

TEST(RuleEdits, AddRuleSilencesANewApplicationAndLeavesAnExistingRuleAlone) {
    Harness harness;
    auto &model = harness.started();
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("firefox", "Firefox", arcade);
    harness.activate("firefox", "Firefox");
    letSaveRun(harness);
    const auto writes = harness.writeCount();
    const auto before = model.data().appRules;
    DocumentSignals changes(model);

    // Already ruled (by exact id): the rule keeps its name, place and profile, and nothing is saved or pushed.
    const auto config = harness.router.config();
    EXPECT_FALSE(model.addRule("firefox", "Another name"));
    EXPECT_FALSE(model.addRule("Zoom", "Zoom"));
    EXPECT_EQ(model.data().appRules, before);
    EXPECT_TRUE(changes.seen.empty());
    EXPECT_EQ(harness.router.config(), config);
    EXPECT_EQ(harness.router.config()->profile->id, arcade);

    // A new application gets a muted rule at the end, saved and pushed.
    EXPECT_TRUE(model.addRule("Firefox", "Firefox (capital)")); // ids compare exactly
    EXPECT_EQ(changes.seen, std::vector<std::string>{"appRules"});
    EXPECT_EQ(model.data().appRules.back(), (AppRule{"Firefox", "Firefox (capital)", std::nullopt}));
    EXPECT_EQ(model.data().appRules.size(), before.size() + 1);
    harness.activate("Firefox", "Firefox (capital)");
    EXPECT_TRUE(harness.router.config()->muted);
    letSaveRun(harness);
    EXPECT_GT(harness.writeCount(), writes);
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).appRules, model.data().appRules);
}

// Drops the entries of earlier days, so the log shown as "Today" holds only today's switches.
TEST(RuleEdits, TheSwitchLogOfTodayLeavesYesterdayBehind) {
    Harness harness;
    auto &model = harness.started();
    const auto arcade = profileNamed(model, "Arcade").id;
    model.setRule("firefox", "Firefox", arcade);
    harness.time.advanceTo(QTime(23, 58));
    harness.activate("gedit", "Text Editor"); // the first report: no switch
    harness.activate("firefox", "Firefox");
    harness.activate("Zoom", "Zoom");
    ASSERT_EQ(model.switchLog().size(), 2u);
    EXPECT_EQ(model.switchLogToday().size(), 2u);

    QSignalSpy changed(&model, &AppModel::switchLogChanged);
    harness.time.advance(200); // past midnight, with the minute ticks on the way
    EXPECT_TRUE(model.switchLogToday().empty());
    EXPECT_TRUE(model.switchLog().empty());
    EXPECT_EQ(changed.count(), 1);

    harness.activate("firefox", "Firefox");
    ASSERT_EQ(model.switchLogToday().size(), 1u);
    EXPECT_EQ(model.switchLogToday()[0].profileName, "Arcade");
    harness.time.advance(120); // the same day: the ticks leave the log alone
    EXPECT_EQ(model.switchLogToday().size(), 1u);
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
} // namespace tc::test
