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
