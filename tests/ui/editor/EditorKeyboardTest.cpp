// The Keys page by keyboard: Tab reaches every control a user clicks, the drawn keyboard among them, each has
// a name, and the drawn keyboard is played from the keyboard inside the page.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/EditorView.h"
#include "ui/editor/KeyPlate.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(EditorKeyboard, TabReachesEveryControlAndTheDrawnKeyboardIsPlayedWithTheKeys) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.setSelectedKeys({0}); // the inspector shows the key's controls
    EditorView view(model);
    view.resize(1400, 880);
    ASSERT_TRUE(activate(&view));

    const auto walk = tabWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());
    KeyPlate *plate = nullptr; // no meta-object of its own: found by its C++ type
    for (QWidget *widget : view.findChildren<QWidget *>()) {
        if (auto *found = dynamic_cast<KeyPlate *>(widget)) {
            plate = found;
        }
    }
    ASSERT_NE(plate, nullptr);
    ASSERT_NE(std::find(walk.begin(), walk.end(), plate), walk.end()) << describe(walk).toStdString();

    // Tab onto the plate, then: right, select, open the picker.
    while (QApplication::focusWidget() != plate) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_TRUE(plate->hasFocus());
    ASSERT_TRUE(plate->focusKey());
    EXPECT_EQ(plate->layout().keys()[*plate->focusKey()].id, "A");
    QTest::keyClick(plate, Qt::Key_Right);
    EXPECT_EQ(plate->layout().keys()[*plate->focusKey()].id, "S");
    QTest::keyClick(plate, Qt::Key_Space);
    EXPECT_EQ(model.selectedKeys(), (KeySet{1})); // S, right of A
    QTest::keyClick(plate, Qt::Key_Return);
    ASSERT_TRUE(model.soundPicker());
    EXPECT_EQ(model.soundPicker()->asKeys()->codes, (KeySet{1}));
    model.setSoundPicker(std::nullopt);
    flushDeletes();
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
