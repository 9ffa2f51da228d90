// The header's status pill: what it says for each silence, and what a click does.

#include "ui/kit/StatusPill.h"

#include "ui/ModelStates.h"
#include "ui/kit/Theme.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(StatusPill, ShowsEachSilenceOfTheModel) {
    shellApp();
    struct Case {
        Silence::Kind kind;
        const char *label;
        QColor dot;
        StatusPill::Action action;
        const char *toolTip;
    };
    const Case cases[] = {
        {Silence::Kind::permission, "Can't hear your keys", Theme::orange, StatusPill::Action::fix,
         "Allow keyboard access: join the input group. Click: Allow."},
        {Silence::Kind::off, "Sounds off · Ctrl+Alt+K", StatusPill::grey, StatusPill::Action::fix,
         "Press Ctrl+Alt+K or turn them on here. Click: Turn on."},
        {Silence::Kind::volume, "Volume is at 0", StatusPill::grey, StatusPill::Action::fix,
         "Tapchime's own volume is all the way down. Click: Set to 80%."},
        {Silence::Kind::macMuted, "Your computer is muted", StatusPill::grey, StatusPill::Action::none,
         "Turn up the computer's sound to hear your keys."},
        {Silence::Kind::app, "Muted in Zoom", StatusPill::grey, StatusPill::Action::fix,
         "An App rule keeps this app quiet. Click: Edit rules."},
        {Silence::Kind::mic, "Muted while the mic is on", StatusPill::grey, StatusPill::Action::fix,
         "Sounds come back when your call ends. Click: Play in calls."},
        {Silence::Kind::password, "Silent in password fields", StatusPill::grey, StatusPill::Action::none,
         "Keeps what you type private."},
        {Silence::Kind::quiet, "Quiet hours", StatusPill::grey, StatusPill::Action::fix,
         "Sounds come back at 23:59. Click: Play now."},
    };
    for (const Case &c : cases) {
        Harness harness;
        AppModel &model = startSilent(harness, c.kind);
        ASSERT_TRUE(model.silence());
        ASSERT_EQ(model.silence()->kind, c.kind);
        StatusPill pill(model);
        EXPECT_EQ(pill.text(), QString(c.label));
        EXPECT_EQ(pill.currentFace().dot, c.dot);
        EXPECT_EQ(pill.currentFace().glow, c.dot == Theme::orange);
        EXPECT_EQ(pill.currentFace().action, c.action);
        EXPECT_EQ(pill.toolTip(), QString::fromUtf8(c.toolTip));
        EXPECT_EQ(pill.isEnabled(), c.action != StatusPill::Action::none) << c.label;
    }
}

TEST(StatusPill, PlayingClickTurnsSoundsOffSavesAndPushes) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    ASSERT_FALSE(model.silence());
    StatusPill pill(model);
    EXPECT_EQ(pill.text(), QString("Playing"));
    EXPECT_EQ(pill.toolTip(), QString("Click to turn sounds off. Ctrl+Alt+K works anywhere."));
    EXPECT_TRUE(pill.currentFace().glow);

    const std::size_t writes = harness.writeCount();
    pill.click();
    EXPECT_FALSE(model.data().settings.enabled);
    EXPECT_FALSE(harness.router.config()->enabled); // the router was given the new configuration
    EXPECT_EQ(pill.text(), QString("Sounds off · Ctrl+Alt+K"));
    EXPECT_EQ(pill.currentFace().dot, StatusPill::grey);
    letSaveRun(harness);
    EXPECT_EQ(harness.writeCount(), writes + 1);

    pill.click(); // the off silence's remedy
    EXPECT_TRUE(model.data().settings.enabled);
    EXPECT_EQ(pill.text(), QString("Playing"));
}

TEST(StatusPill, TheAppRuleRemedyMovesTheWindowToAppRules) {
    shellApp();
    Harness harness;
    AppModel &model = startSilent(harness, Silence::Kind::app);
    StatusPill pill(model);
    pill.click();
    EXPECT_EQ(model.section(), AppSection::apps);
}

TEST(StatusPill, ADisabledPillIgnoresClicks) {
    shellApp();
    Harness harness;
    AppModel &model = startSilent(harness, Silence::Kind::macMuted);
    StatusPill pill(model);
    DocumentSignals changes(model);
    pill.click();
    EXPECT_TRUE(changes.seen.empty());
    EXPECT_FALSE(pill.isEnabled());
}

} // namespace
} // namespace tc::test
