// The notice panel: its timings on a fake clock, placement, replacement and the faults it guards against.

#include "app/shell/NoticeHUD.h"
#include "support/FakeTime.h"
#include "support/QtTestApp.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using tc::Notice;
using tc::NoticeHUD;
using tc::Silence;

// A notice view of a fixed size that keeps the actions it was given.
struct Views {
    std::vector<NoticeHUD::Actions> actions;
    std::vector<Notice> notices;

    NoticeHUD::ViewFactory factory() {
        return [this](const Notice &notice, const NoticeHUD::Actions &a) {
            notices.push_back(notice);
            actions.push_back(a);
            auto *view = new QWidget;
            view->setMinimumSize(300, 80);
            return view;
        };
    }
};

NoticeHUD::Screens oneScreen() {
    NoticeHUD::Screens screens;
    screens.frames = {QRect(0, 0, 1280, 800)};
    screens.available = {QRect(0, 30, 1280, 770)};
    screens.primary = 0;
    screens.cursor = QPoint(100, 100);
    return screens;
}

Silence volumeZero() {
    return {Silence::Kind::volume, QStringLiteral("Volume is at 0"),
            QStringLiteral("Tapchime's own volume is all the way down."), QStringLiteral("Set to 80%")};
}

Silence micOn() {
    return {Silence::Kind::mic, QStringLiteral("Muted while the mic is on"),
            QStringLiteral("Sounds come back when your call ends."), QStringLiteral("Play in calls")};
}

struct Fixture {
    tc::test::FakeTime timers;
    Views views;
    std::vector<Silence> fixed;
    NoticeHUD hud{timers, views.factory(), [this](const Silence &s) { fixed.push_back(s); }};

    Fixture() {
        tc::test::qtApp();
        hud.setScreenProbe(oneScreen);
    }
};

} // namespace

TEST(NoticeHUD, HidesOnOffNoticesAfter1_8SecondsAndSilenceNoticesAfter6Seconds) {
    struct Case {
        Notice notice;
        double seconds;
    };
    const Case cases[] = {{Notice::soundsOn(), 1.8}, {Notice::soundsOff(), 1.8}, {Notice::silent(volumeZero()), 6.0}};
    for (const Case &c : cases) {
        Fixture f;
        f.hud.show(c.notice);
        ASSERT_TRUE(f.hud.isShowing());
        f.timers.advance(c.seconds - 0.01);
        EXPECT_TRUE(f.hud.isShowing());
        f.timers.advance(0.01);
        EXPECT_FALSE(f.hud.isShowing()); // fading out
        EXPECT_TRUE(f.hud.panel()->isVisible());
        f.timers.advance(NoticeHUD::fadeOutSeconds);
        EXPECT_FALSE(f.hud.panel()->isVisible());
    }
}

TEST(NoticeHUD, ANewNoticeReplacesTheOldOneAndRestartsTheTimer) {
    Fixture f;
    f.hud.show(Notice::soundsOff());
    f.timers.advance(1.0);
    f.hud.show(Notice::soundsOn());
    EXPECT_EQ(f.hud.notice(), Notice::soundsOn());
    ASSERT_EQ(f.views.notices.size(), 2u);
    f.timers.advance(1.79); // 2.79 s after the first notice, 1.79 s after the second
    EXPECT_TRUE(f.hud.isShowing());
    f.timers.advance(0.01 + NoticeHUD::fadeOutSeconds);
    EXPECT_FALSE(f.hud.panel()->isVisible());
}

TEST(NoticeHUD, ANoticeShownWhileThePreviousFadesOutStaysVisible) {
    Fixture f;
    f.hud.show(Notice::soundsOff());
    f.timers.advance(1.8); // the fade-out starts
    ASSERT_FALSE(f.hud.isShowing());
    f.timers.advance(0.1);
    f.hud.show(Notice::soundsOn()); // during the fade
    f.timers.advance(0.5);          // well past the end of the old fade
    EXPECT_TRUE(f.hud.isShowing());
    EXPECT_TRUE(f.hud.panel()->isVisible());
    f.timers.advance(1.3 + NoticeHUD::fadeOutSeconds);
    EXPECT_FALSE(f.hud.panel()->isVisible());
}

TEST(NoticeHUD, WithNoScreenNothingIsShown) {
    Fixture f;
    f.hud.setScreenProbe([] { return NoticeHUD::Screens{}; });
    f.hud.show(Notice::silent(volumeZero()));
    EXPECT_FALSE(f.hud.isShowing());
    EXPECT_EQ(f.hud.panel(), nullptr);
    EXPECT_TRUE(f.views.notices.empty());
    EXPECT_EQ(f.timers.activeTimers(), 0u);
    f.hud.hide(); // harmless
}

TEST(NoticeHUD, TheFixButtonActsOnTheSilenceTheNoticeWasShownFor) {
    Fixture f;
    f.hud.show(Notice::silent(volumeZero()));
    ASSERT_EQ(f.views.actions.size(), 1u);
    // By the time the user clicks, another cause may be current; the remedy is still the notice's own.
    f.views.actions[0].fix();
    ASSERT_EQ(f.fixed.size(), 1u);
    EXPECT_EQ(f.fixed[0], volumeZero());
    EXPECT_FALSE(f.hud.isShowing()); // the fade-out starts at once
    f.timers.advance(NoticeHUD::fadeOutSeconds);
    EXPECT_FALSE(f.hud.panel()->isVisible());
}

TEST(NoticeHUD, EachNoticeFixesItsOwnSilence) {
    Fixture f;
    f.hud.show(Notice::silent(micOn()));
    f.hud.show(Notice::silent(volumeZero()));
    ASSERT_EQ(f.views.actions.size(), 2u);
    f.views.actions[1].fix();
    ASSERT_EQ(f.fixed.size(), 1u);
    EXPECT_EQ(f.fixed[0].kind, Silence::Kind::volume);
}

TEST(NoticeHUD, DismissHidesAndCancelsTheAutomaticHide) {
    Fixture f;
    f.hud.show(Notice::soundsOn());
    f.views.actions[0].dismiss();
    EXPECT_FALSE(f.hud.isShowing());
    f.timers.advance(NoticeHUD::fadeOutSeconds);
    EXPECT_FALSE(f.hud.panel()->isVisible());
    EXPECT_EQ(f.timers.activeTimers(), 0u);
    EXPECT_TRUE(f.fixed.empty());
}

TEST(NoticeHUD, SlidesIntoTheTopCentreOfTheScreenUnderThePointer) {
    Fixture f;
    f.hud.setScreenProbe([] {
        NoticeHUD::Screens screens;
        screens.frames = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
        screens.available = {QRect(0, 30, 1280, 770), QRect(1280, 40, 1920, 1040)};
        screens.primary = 0;
        screens.cursor = QPoint(2000, 500);
        return screens;
    });
    f.hud.show(Notice::soundsOn());
    const QSize size = f.hud.panel()->size();
    EXPECT_EQ(f.hud.targetFrame(), QRect(1280 + (1920 - size.width()) / 2, 40 + 12, size.width(), size.height()));
    f.hud.finishAnimations();
    EXPECT_EQ(f.hud.panel()->pos(), f.hud.targetFrame().topLeft());
    EXPECT_DOUBLE_EQ(f.hud.panel()->windowOpacity(), 1.0);
}

TEST(NoticeHUD, ChoosesTheScreenUnderThePointerElseTheMainElseTheFirst) {
    NoticeHUD::Screens screens;
    screens.frames = {QRect(0, 0, 100, 100), QRect(100, 0, 100, 100), QRect(200, 0, 100, 100)};
    screens.available = screens.frames;
    screens.primary = 1;
    struct Case {
        QPoint cursor;
        int primary;
        int expected;
    };
    const Case cases[] = {{{250, 50}, 1, 2}, {{50, 50}, 1, 0}, {{999, 999}, 1, 1}, {{999, 999}, -1, 0}};
    for (const Case &c : cases) {
        screens.cursor = c.cursor;
        screens.primary = c.primary;
        EXPECT_EQ(NoticeHUD::screenIndex(screens), c.expected);
    }
    EXPECT_EQ(NoticeHUD::screenIndex(NoticeHUD::Screens{}), -1);
}

TEST(NoticeHUD, ThePanelFloatsWithoutTakingFocus) {
    Fixture f;
    f.hud.show(Notice::soundsOn());
    QWidget *panel = f.hud.panel();
    ASSERT_NE(panel, nullptr);
    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(panel->windowType(), Qt::Tool);
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(panel->isActiveWindow());
    // The same panel serves every later notice.
    f.hud.show(Notice::soundsOff());
    EXPECT_EQ(f.hud.panel(), panel);
}
