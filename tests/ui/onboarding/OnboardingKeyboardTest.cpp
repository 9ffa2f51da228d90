// The first-run sheet by keyboard alone: each step opens on its main action, Tab reaches every control, and
// Return takes the focused one.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/PackCard.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(OnboardingKeyboard, ThePermissionStepOpensOnShowMeHowAndTabReachesEveryButton) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    harness.monitorStarts = false;
    AppModel &model = harness.started();
    OnboardingView sheet(model);
    ASSERT_TRUE(activate(&sheet));
    EXPECT_EQ(QApplication::focusWidget(), sheet.showMeHowButton());
    QSignalSpy help(&model, &AppModel::keyboardAccessHelpRequested);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(help.count(), 1);

    const auto walk = tabWalk(&sheet);
    EXPECT_EQ(walk, (std::vector<QWidget *>{sheet.showMeHowButton(), sheet.laterButton()}));
    EXPECT_EQ(nameless(walk), QStringList());
    const FocusGrabs grabs = grabFocus(sheet.laterButton());
    EXPECT_NE(grabs.focused, grabs.unfocused);
    motion::setEnabled(true);
}

TEST(OnboardingKeyboard, ThePackStepOpensOnStartTypingThePacksComeFirstAndSpacePicksOne) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    OnboardingView sheet(model);
    ASSERT_TRUE(activate(&sheet));
    EXPECT_EQ(QApplication::focusWidget(), sheet.startTypingButton());

    std::vector<QWidget *> expected(sheet.packCards().begin(), sheet.packCards().end());
    expected.push_back(sheet.startTypingButton());
    auto walk = tabWalk(&sheet);
    EXPECT_EQ(walk, expected);
    EXPECT_EQ(unreached(clickableControls(&sheet), walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());

    // A pack picked by keyboard makes the cards again; they still come before "Start typing".
    PackCard *second = sheet.packCards()[1];
    second->setFocus(Qt::TabFocusReason);
    QTest::keyClick(second, Qt::Key_Space);
    EXPECT_EQ(model.data().activeProfileID, second->profileID());
    model.renameProfile(second->profileID(), "Renamed"); // the card shows the name: made again
    flushDeletes();
    QCoreApplication::processEvents(); // the new cards show
    expected.assign(sheet.packCards().begin(), sheet.packCards().end());
    expected.push_back(sheet.startTypingButton());
    walk = tabWalk(&sheet);
    EXPECT_EQ(walk, expected);

    sheet.startTypingButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sheet.startTypingButton(), Qt::Key_Return);
    EXPECT_TRUE(model.data().settings.hasCompletedOnboarding);
    motion::setEnabled(true);
}

// The selected pack's border stays in sight under the focus ring, and every ring of the step shows whole.
TEST(OnboardingKeyboard, TheSelectedPacksBorderShowsWithTheRing) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    OnboardingView sheet(model);
    ASSERT_TRUE(activate(&sheet));
    PackCard *selected = nullptr;
    for (PackCard *card : sheet.packCards()) {
        if (card->isSelected()) {
            selected = card;
        }
    }
    ASSERT_NE(selected, nullptr);
    const FocusGrabs grabs = grabFocus(selected);
    // The border: two points of ink along the card's left edge, halfway down, focused or not.
    const QPoint edge(1, selected->height() / 2);
    for (const QImage *image : {&grabs.unfocused, &grabs.focused}) {
        const QColor c = image->pixelColor(edge * image->devicePixelRatio());
        EXPECT_LT(c.lightness(), 80) << (image == &grabs.focused ? "focused" : "unfocused");
    }
    const QStringList hidden = hiddenRings(&sheet);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(QLatin1Char('\n')).toStdString();
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
