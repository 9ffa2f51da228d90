// The Triggers page by keyboard: Tab reaches every control a user clicks (the add buttons, each trigger,
// the editor's controls), each has a name, and Space on a trigger selects it as a click does.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/triggers/SegmentedSwitch.h"
#include "ui/triggers/TriggersView.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(TriggersKeyboard, TabReachesEveryControlAndSpaceSelectsATrigger) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    TriggersView view(model, {});
    view.resize(1200, 800);
    ASSERT_TRUE(activate(&view));

    const auto walk = keyboardWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_GE(controls.size(), 5u);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());

    // Each trigger takes focus, is named after its label and shows focus; Space selects it as a click does.
    std::vector<QWidget *> triggers;
    for (QWidget *widget : walk) {
        const QString name = widget->accessibleName();
        if (qobject_cast<QAbstractButton *>(widget) == nullptr &&
            (name.startsWith(QStringLiteral("Shortcut ")) || name.startsWith(QStringLiteral("Word ")))) {
            triggers.push_back(widget);
        }
    }
    ASSERT_EQ(triggers.size(), model.data().triggers.size());
    ASSERT_GE(triggers.size(), 2u);
    const FocusGrabs grabs = grabFocus(triggers[1]);
    EXPECT_NE(grabs.focused, grabs.unfocused);
    const QString secondName = triggers[1]->accessibleName();
    triggers[1]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(triggers[1], Qt::Key_Space);
    EXPECT_EQ(view.selectedID(), model.data().triggers[1].id);
    // The triggers are drawn again, and focus stays on the one just selected.
    QCoreApplication::processEvents();
    flushDeletes();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), secondName);
    EXPECT_TRUE(FocusRing::isAttached(QApplication::focusWidget()));

    // The same in the list: Return on the "List" segment shows it, and a row keeps focus once selected.
    view.viewToggle()->button(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view.viewToggle()->button(1), Qt::Key_Return);
    ASSERT_FALSE(view.showsGraph());
    QCoreApplication::processEvents();
    QWidget *firstRow = nullptr;
    for (QWidget *widget : keyboardWalk(&view)) {
        if (qobject_cast<QAbstractButton *>(widget) == nullptr && widget->accessibleName().startsWith("Shortcut ")) {
            firstRow = widget;
            break;
        }
    }
    ASSERT_NE(firstRow, nullptr);
    const QString firstName = firstRow->accessibleName();
    firstRow->setFocus(Qt::TabFocusReason);
    QTest::keyClick(firstRow, Qt::Key_Return);
    EXPECT_EQ(view.selectedID(), model.data().triggers[0].id);
    QCoreApplication::processEvents();
    flushDeletes();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), firstName);
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
