// The drawn keyboard played from the keyboard: Tab reaches it, the arrow keys move its focus key, Space
// selects, Return opens the picker, Delete resets, and screen readers follow the focus key.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/KeyPlate.h"

#include <QAccessible>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr std::uint16_t kQ = 12, kW = 13, kA = 0, kS = 1;

struct KeyboardPlate : ::testing::Test {
    KeyboardPlate() {
        shellApp();
        motion::setEnabled(false);
        AppModel &m = harness.started();
        m.setActiveProfile(profileNamed(m, "Default").id);
        plate = std::make_unique<KeyPlate>(m);
        plate->setUnit(50);
        EXPECT_TRUE(activate(plate.get()));
        plate->clearFocus(); // each test brings focus in itself
    }
    ~KeyboardPlate() override {
        plate.reset();
        motion::setEnabled(true);
    }

    AppModel &model() { return *harness.model; }
    QString focusId() const {
        const auto focus = plate->focusKey();
        return focus ? plate->layout().keys()[*focus].id : QString();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(plate.get(), key, modifiers); }

    Harness harness;
    std::unique_ptr<KeyPlate> plate;
};

TEST_F(KeyboardPlate, TheArrowsMoveTheFocusKeySpaceSelectsReturnOpensThePickerDeleteResets) {
    model().setSelectedKeys({kA});
    plate->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(plate->hasFocus());
    EXPECT_EQ(focusId(), "A"); // focus starts on the selection

    const struct {
        Qt::Key key;
        const char *focus;
    } moves[] = {{Qt::Key_Right, "S"}, {Qt::Key_Up, "W"}, {Qt::Key_Left, "Q"}, {Qt::Key_Down, "A"}};
    for (const auto &m : moves) {
        press(m.key);
        EXPECT_EQ(focusId(), m.focus) << m.focus;
    }
    EXPECT_EQ(model().selectedKeys(), (KeySet{kA})); // moving focus selects nothing

    press(Qt::Key_Up);
    press(Qt::Key_Space);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ}));
    EXPECT_EQ(model().data().settings.coachStep, 2);
    press(Qt::Key_Right);
    press(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ, kW}));
    press(Qt::Key_Space, Qt::ControlModifier); // a second time takes it out again
    EXPECT_EQ(model().selectedKeys(), (KeySet{kQ}));

    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(focusId(), "S");
    EXPECT_EQ(model().selectedKeys(), (KeySet{kS}));
    ASSERT_TRUE(model().soundPicker());
    ASSERT_TRUE(model().soundPicker()->asKeys());
    EXPECT_EQ(model().soundPicker()->asKeys()->codes, (KeySet{kS}));
    model().setSoundPicker(std::nullopt);

    for (const Qt::Key reset : {Qt::Key_Delete, Qt::Key_Backspace}) {
        model().assign("synth.meow", {kS});
        ASSERT_TRUE(model().data().activeProfile().assignment(kS));
        press(reset);
        EXPECT_FALSE(model().data().activeProfile().assignment(kS)) << reset;
    }
    EXPECT_EQ(harness.audio.plays.size(), 0u); // none of it previews
}

TEST_F(KeyboardPlate, TheFocusKeyIsDrawnApartFromTheSelection) {
    model().setSelectedKeys({kQ});
    EXPECT_TRUE(plate->focusPolicy() & Qt::TabFocus); // the Keys page walks Tab onto it
    plate->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(focusId(), "Q");

    // The focus key wears the focus colour around its cap, outside the selection ring, which shows too; without
    // focus the plate shows only the selection.
    const FocusGrabs grabs = grabFocus(plate.get());
    EXPECT_NE(grabs.focused, grabs.unfocused);
    const QRect q = plate->keyRect(plate->layout().keys()[*plate->focusKey()]).toAlignedRect();
    const QColor selection = grabs.focused.pixelColor(QPoint(q.left() - 3, q.center().y()) *
                                                      grabs.focused.devicePixelRatio()); // 2 to 4 points out
    EXPECT_LT(selection.lightness(), 80) << selection.name().toStdString();
    const auto hasFocusColour = [&](const QImage &image) {
        const qreal ratio = image.devicePixelRatio();
        for (int x = q.left() - 4; x <= q.right() + 4; ++x) {
            const QColor c = image.pixelColor(QPoint(x, q.top() - 6) * ratio);
            if (c.red() > 200 && c.green() > 80 && c.green() < 140 && c.blue() < 80) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(hasFocusColour(grabs.focused));
    EXPECT_FALSE(hasFocusColour(grabs.unfocused));

    // A click on a key gives the plate focus with the selection ring only; the next arrow key shows the ring.
    plate->clearFocus();
    const QPoint w = plate->centreOf(QStringLiteral("W"));
    QTest::mousePress(plate.get(), Qt::LeftButton, {}, w);
    QTest::mouseRelease(plate.get(), Qt::LeftButton, {}, w);
    ASSERT_TRUE(plate->hasFocus());
    ASSERT_EQ(focusId(), "W");
    EXPECT_FALSE(FocusRing::shows(plate.get()));
    const auto ringPixels = [](const QImage &image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() > 80 && c.green() < 140 && c.blue() < 80 ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(ringPixels(plate->grab().toImage()), 0);
    press(Qt::Key_Left);
    EXPECT_TRUE(FocusRing::shows(plate.get()));
    EXPECT_GT(ringPixels(plate->grab().toImage()), 40);
}

TEST_F(KeyboardPlate, ScreenReadersHearTheFocusKeyAsFocusMoves) {
    model().assign("synth.meow", {kS});
    model().setSelectedKeys({kA});
    plate->setFocus(Qt::TabFocusReason);
    QAccessibleInterface *group = QAccessible::queryAccessibleInterface(plate.get());
    ASSERT_NE(group, nullptr);
    const auto focusName = [&] {
        QAccessibleInterface *focused = group->focusChild();
        return focused != nullptr ? focused->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(focusName(), "A key: Cream");
    press(Qt::Key_Right);
    EXPECT_EQ(focusName(), "S key: Meow");
    QAccessibleInterface *s = group->focusChild();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->state().focused);
    EXPECT_FALSE(group->child(group->indexOfChild(s) - 1)->state().focused);
    plate->clearFocus();
    EXPECT_EQ(group->focusChild(), nullptr);
}

} // namespace
} // namespace tc::test
