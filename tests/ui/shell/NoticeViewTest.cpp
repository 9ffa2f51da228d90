// The view of a notice: texts, the remedy button and the click that dismisses.

#include "ui/shell/NoticeView.h"
#include "app/QtTime.h"
#include "app/shell/NoticeHUD.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/MascotLogo.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using tc::Notice;
using tc::Silence;

struct Calls {
    int dismissed = 0;
    int fixed = 0;

    tc::NoticeHUD::Actions actions() {
        return {[this] { ++dismissed; }, [this] { ++fixed; }};
    }
};

Silence volumeZero() {
    return {Silence::Kind::volume, QStringLiteral("Volume is at 0"),
            QStringLiteral("Tapchime's own volume is all the way down."), QStringLiteral("Set to 80%")};
}

} // namespace

TEST(NoticeView, ShowsTheNoticesTextsAndDimsTheMascotWhileSilent) {
    tc::test::shellApp();
    Calls calls;
    tc::NoticeView on(Notice::soundsOn(), calls.actions());
    EXPECT_EQ(on.title(), QStringLiteral("Sounds on"));
    EXPECT_EQ(on.subtitle(), QStringLiteral("Press Ctrl+Alt+K to turn them off."));
    EXPECT_DOUBLE_EQ(on.mascot()->opacity(), 1.0);
    EXPECT_EQ(on.fixButton(), nullptr);

    tc::NoticeView silent(Notice::silent(volumeZero()), calls.actions());
    EXPECT_EQ(silent.title(), QStringLiteral("Volume is at 0"));
    EXPECT_DOUBLE_EQ(silent.mascot()->opacity(), 0.45);
    ASSERT_NE(silent.fixButton(), nullptr);
    EXPECT_EQ(silent.fixButton()->text(), QStringLiteral("Set to 80%"));
    EXPECT_EQ(silent.fixButton()->sizeHint().height(), 30);
}

TEST(NoticeView, TheButtonFixesAndAClickElsewhereDismisses) {
    tc::test::shellApp();
    Calls calls;
    tc::NoticeView view(Notice::silent(volumeZero()), calls.actions());
    view.resize(view.sizeHint());
    view.show();
    QTest::mouseClick(view.fixButton(), Qt::LeftButton, {}, view.fixButton()->rect().center());
    EXPECT_EQ(calls.fixed, 1);
    EXPECT_EQ(calls.dismissed, 0);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(60, view.height() / 2));
    EXPECT_EQ(calls.dismissed, 1);
    auto *title = view.findChild<QLabel *>();
    ASSERT_NE(title, nullptr);
    QTest::mouseClick(title, Qt::LeftButton, {}, title->rect().center()); // on the text, too
    EXPECT_EQ(calls.dismissed, 2);
    EXPECT_EQ(calls.fixed, 1);
}

TEST(NoticeView, TheCapsuleSits18PointsInsideSoItsShadowStaysOnThePanel) {
    tc::test::shellApp();
    tc::NoticeView view(Notice::soundsOff(), {});
    view.resize(view.sizeHint());
    EXPECT_EQ(view.capsuleRect(), QRectF(view.rect()).adjusted(18, 18, -18, -18));
    // 10 above and below the 30-point mascot inside the capsule.
    EXPECT_GE(view.capsuleRect().height(), 50);
}

TEST(NoticeView, MakesThePanelsViewsInTheRunningProgram) {
    tc::test::shellApp();
    tc::QtTimerFactory timers;
    std::optional<Silence> fixed;
    tc::NoticeHUD hud(timers, tc::NoticeView::factory(), [&](const Silence &s) { fixed = s; });
    hud.show(Notice::silent(volumeZero()));
    ASSERT_NE(hud.panel(), nullptr);
    auto *view = hud.panel()->findChild<tc::NoticeView *>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(hud.panel()->size(), view->sizeHint());
    view->fixButton()->click();
    EXPECT_EQ(fixed, volumeZero());
    EXPECT_FALSE(hud.isShowing());
}

TEST(NoticeView, WithoutACompositorThePanelIsCutToTheCapsule) {
    tc::test::shellApp();
    tc::QtTimerFactory timers;
    tc::NoticeHUD hud(timers, tc::NoticeView::factory(), {});
    hud.setCompositingProbe([] { return false; });
    hud.show(Notice::soundsOn());
    const QRegion mask = hud.panel()->mask();
    ASSERT_FALSE(mask.isEmpty());
    const QRect panel = hud.panel()->rect();
    EXPECT_FALSE(mask.contains(QPoint(2, 2))); // the clear margin
    EXPECT_FALSE(mask.contains(QPoint(tc::NoticeView::outerInset + 1, tc::NoticeView::outerInset + 1))); // round end
    EXPECT_TRUE(mask.contains(panel.center()));                                  // the capsule itself
    EXPECT_FALSE(mask.contains(QPoint(panel.center().x(), panel.bottom() - 4))); // the shadow below

    hud.setCompositingProbe([] { return true; });
    hud.show(Notice::soundsOff());
    EXPECT_TRUE(hud.panel()->mask().isEmpty()); // a compositor draws the shadow and the clear margin
}
