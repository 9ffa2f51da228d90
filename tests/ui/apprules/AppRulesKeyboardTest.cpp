// The App rules page by keyboard: Tab reaches every control a user clicks (each rule's menu and remove
// button, the smart-mute checks, "Add app"), each has a name, and a focused card shows it.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AddAppCard.h"
#include "ui/apprules/AppRulesView.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(AppRulesKeyboard, TabReachesEveryControlAndSpaceActsOnTheFocusedOne) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    AppRulesView view(model, AppDirectory::desktop(nullptr));
    view.resize(1100, 900);
    ASSERT_TRUE(activate(&view));

    const auto walk = keyboardWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_GE(controls.size(), 6u);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());

    const FocusGrabs grabs = grabFocus(view.addAppCard());
    EXPECT_NE(grabs.focused, grabs.unfocused);
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
