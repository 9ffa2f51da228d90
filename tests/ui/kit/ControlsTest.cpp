// The shared controls under the offscreen platform: clicks, bindings and what assistive technology hears.

#include "app/Motion.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QFontMetricsF>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct MotionOff {
    MotionOff() { tc::motion::setEnabled(false); }
    ~MotionOff() { tc::motion::setEnabled(true); }
};

} // namespace

TEST(PillToggle, AClickFlipsTheBindingAndASecondClickFlipsItBack) {
    tc::test::shellApp();
    MotionOff still;
    bool value = false;
    int writes = 0;
    tc::PillToggle toggle({[&] { return value; }, [&](bool v) { value = v, ++writes; }}, QStringLiteral("Sounds"));
    toggle.show();
    EXPECT_FALSE(toggle.isOn());
    EXPECT_DOUBLE_EQ(toggle.knobPosition(), 0);

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(19, 11));
    EXPECT_TRUE(value);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_DOUBLE_EQ(toggle.knobPosition(), 1);

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(19, 11));
    EXPECT_FALSE(value);
    EXPECT_FALSE(toggle.isOn());
    EXPECT_EQ(writes, 2);
}

TEST(PillToggle, AKnobStaysWhereItWasWhenTheSetterRefuses) {
    tc::test::shellApp();
    MotionOff still;
    const bool value = true;
    int attempts = 0;
    tc::PillToggle toggle({[&] { return value; }, [&](bool) { ++attempts; }}, QStringLiteral("Locked"));
    toggle.click();
    EXPECT_EQ(attempts, 1);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_DOUBLE_EQ(toggle.knobPosition(), 1);
}

TEST(PillToggle, FollowsAChangeMadeElsewhere) {
    tc::test::shellApp();
    bool value = false;
    tc::PillToggle toggle({[&] { return value; }, [&](bool v) { value = v; }}, QStringLiteral("Sounds"));
    value = true;
    toggle.refresh(); // animates with motion on
    EXPECT_TRUE(toggle.isOn());
    toggle.finishAnimation();
    EXPECT_DOUBLE_EQ(toggle.knobPosition(), 1);
}

TEST(PillToggle, IsAToggleWithItsLabelAndAnOnOffValueForAssistiveTechnology) {
    tc::test::shellApp();
    MotionOff still;
    bool value = true;
    tc::PillToggle toggle({[&] { return value; }, [&](bool v) { value = v; }}, QStringLiteral("Sounds"));
    toggle.show();
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&toggle);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Sounds"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("On"));
    EXPECT_TRUE(accessible->state().checkable);
    EXPECT_TRUE(accessible->state().checked);
    toggle.click();
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Off"));
    EXPECT_FALSE(accessible->state().checked);
}

TEST(PlayButton, RunsItsActionOncePerClickInsideTheCircle) {
    tc::test::shellApp();
    int plays = 0;
    tc::PlayButton button(40, [&] { ++plays; });
    button.show();
    EXPECT_EQ(button.size(), QSize(40, 40));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Play"));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(plays, 1);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1)); // the corner is outside the circle
    EXPECT_EQ(plays, 1);
    button.setAction([&] { plays += 10; });
    button.click();
    EXPECT_EQ(plays, 11);
}

TEST(PillButton, FillsDimWhilePressedAndSizesToItsLabel) {
    tc::test::shellApp();
    using Kind = tc::PillButton::Kind;
    EXPECT_DOUBLE_EQ(tc::PillButton::fillOpacity(Kind::black, false), 1.0);
    EXPECT_DOUBLE_EQ(tc::PillButton::fillOpacity(Kind::black, true), 0.8);
    EXPECT_DOUBLE_EQ(tc::PillButton::fillOpacity(Kind::outline, false), 1.0);
    EXPECT_DOUBLE_EQ(tc::PillButton::fillOpacity(Kind::outline, true), 0.7);

    tc::PillButton black(QStringLiteral("Set to 80%"), tc::BlackPillButtonStyle{30});
    tc::PillButton outline(QStringLiteral("Set to 80%"), tc::OutlinePillButtonStyle{36});
    EXPECT_EQ(black.sizeHint().height(), 30);
    EXPECT_EQ(outline.sizeHint().height(), 36);
    EXPECT_EQ(black.sizeHint().width(), outline.sizeHint().width());
    const QFontMetricsF metrics(black.font());
    EXPECT_EQ(black.sizeHint().width(), static_cast<int>(std::ceil(metrics.horizontalAdvance(black.text()))) + 32);
    EXPECT_EQ(black.font().pixelSize(), 13);
    EXPECT_EQ(black.font().weight(), QFont::DemiBold);
}

TEST(PillButton, OnlyTheCapsuleTakesClicks) {
    tc::test::shellApp();
    int clicks = 0;
    tc::PillButton button(QStringLiteral("Turn on"), tc::BlackPillButtonStyle{30});
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    button.resize(button.sizeHint());
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
    EXPECT_EQ(clicks, 1);
}
