// The Settings page by keyboard: Tab reaches every control a user clicks, each has a name, and the switches
// show focus and flip with Space.

#include "support/Wait.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/kit/PillToggle.h"
#include "ui/settings/SettingsView.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(SettingsKeyboard, TabReachesEveryControlAndEachHasAName) {
    shellApp();
    Harness harness;
    harness.monitorStarts = false; // "Allow" shows
    AppModel &model = harness.started();
    SettingsView view(model);
    view.resize(900, 1200);
    ASSERT_TRUE(activate(&view));
    harness.time.runPosted();

    const auto walk = tabWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_GE(controls.size(), 10u);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());

    // The first switch shows focus, and Space flips it.
    const auto toggles = view.findChildren<PillToggle *>();
    ASSERT_FALSE(toggles.isEmpty());
    PillToggle *toggle = toggles.front();
    const FocusGrabs grabs = grabFocus(toggle);
    EXPECT_NE(grabs.focused, grabs.unfocused);
    const bool before = toggle->isOn();
    toggle->setFocus(Qt::TabFocusReason);
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_NE(toggle->isOn(), before);
}

} // namespace
} // namespace tc::test
