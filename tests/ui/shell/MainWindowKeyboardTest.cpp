// The main window by keyboard: the rail's items take focus, show it, move with the arrow keys and open their
// section with Space; the page's controls follow the rail in the Tab order. The tray panel's controls are all
// reached by Tab too.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/MenuBarView.h"
#include "ui/shell/Rail.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(MainWindowKeyboard, TheRailTakesFocusMovesWithTheArrowsAndOpensSectionsWithSpace) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.completeOnboarding();
    model.setSection(AppSection::settings);
    MainWindow window(model);
    window.resize(1400, 880);
    ASSERT_TRUE(activate(&window));

    const auto walk = tabWalk(&window);
    EXPECT_EQ(unreached(clickableControls(&window), walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());

    RailItem *keys = window.rail()->item(AppSection::keyboard);
    RailItem *sounds = window.rail()->item(AppSection::sounds);
    const FocusGrabs grabs = grabFocus(keys);
    EXPECT_NE(grabs.focused, grabs.unfocused);
    keys->setFocus(Qt::TabFocusReason);
    QTest::keyClick(keys, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), sounds);
    QTest::keyClick(sounds, Qt::Key_Space);
    EXPECT_EQ(model.section(), AppSection::sounds);
    flushDeletes();
    motion::setEnabled(true);
}

// Ctrl+, from a control of the page takes the focus to the Settings rail item, with the ring; a click on
// another section's rail item then focuses that item without it, and no ring is left on the rail.
TEST(MainWindowKeyboard, AnotherSectionTakesThePagesFocusToItsRailItemAndAClickLeavesNoRing) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.completeOnboarding();
    model.setSection(AppSection::sounds);
    MainWindow window(model);
    window.resize(1400, 880);
    ASSERT_TRUE(activate(&window));
    Rail *rail = window.rail();
    QTest::keyClick(&window, Qt::Key_Tab);
    while (!window.page()->isAncestorOf(QApplication::focusWidget())) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_EQ(model.section(), AppSection::settings);
    EXPECT_EQ(QApplication::focusWidget(), rail->item(AppSection::settings));
    EXPECT_TRUE(FocusRing::shows(rail->item(AppSection::settings)));

    RailItem *keys = rail->item(AppSection::keyboard);
    QTest::mouseClick(keys, Qt::LeftButton, {}, keys->rect().center());
    ASSERT_EQ(model.section(), AppSection::keyboard);
    EXPECT_EQ(QApplication::focusWidget(), keys);
    for (const AppSection section : allAppSections) {
        EXPECT_FALSE(FocusRing::shows(rail->item(section))) << static_cast<int>(section);
    }
    flushDeletes();
    motion::setEnabled(true);
}

TEST(MenuBarKeyboard, TabReachesEveryControlOfThePanelAndEachHasAName) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    MenuBarView view(model, {});
    ASSERT_TRUE(activate(&view));
    const auto walk = tabWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_GE(controls.size(), 4u);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList()) << describe(walk).toStdString();
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
