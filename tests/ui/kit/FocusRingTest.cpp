// The one focus ring of the painted controls: a control shows it only while it has keyboard focus, Tab reaches
// it and a click does not, focus the program sets shows it only for keyboard users, and Space and Return act as
// a click.

#include "ui/kit/FocusRing.h"
#include "ui/FocusWalk.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace tc::test {
namespace {

// How many pixels of the image are the ring's colour (allowing for the edge's anti-aliasing).
int ringPixels(const QImage &image) {
    const QColor ring = FocusRing::color();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - ring.red()) < 12 && std::abs(c.green() - ring.green()) < 12 &&
                std::abs(c.blue() - ring.blue()) < 12) {
                ++count;
            }
        }
    }
    return count;
}

TEST(FocusRing, EachPaintedControlShowsTheRingOnlyWhileItHasFocus) {
    shellApp();
    bool on = false;
    const struct {
        const char *name;
        std::function<QWidget *(QWidget *)> make;
    } controls[] = {
        {"black pill", [](QWidget *p) { return new PillButton("Start typing", BlackPillButtonStyle{44}, p); }},
        {"outline pill", [](QWidget *p) { return new PillButton("Later", OutlinePillButtonStyle{44}, p); }},
        {"toggle",
         [&](QWidget *p) {
             return new PillToggle({[&] { return on; }, [&](bool v) { on = v; }}, "On", p);
         }},
        {"play",
         [](QWidget *p) {
             return new PlayButton(
                 28, [] {}, p);
         }},
    };
    for (const auto &c : controls) {
        QWidget window;
        auto *row = new QHBoxLayout(&window);
        QWidget *control = c.make(&window);
        row->addWidget(control);
        ASSERT_TRUE(activate(&window));
        EXPECT_TRUE(FocusRing::isAttached(control)) << c.name;
        EXPECT_EQ(control->focusPolicy(), Qt::TabFocus) << c.name;
        control->clearFocus(); // the window gave focus to its only control
        const QImage before = control->grab().toImage();
        const FocusGrabs grabs = grabFocus(control);
        EXPECT_GT(ringPixels(grabs.focused), 20) << c.name;
        EXPECT_EQ(ringPixels(grabs.unfocused), 0) << c.name;
        EXPECT_EQ(grabs.unfocused, before) << c.name; // focus leaves nothing behind
    }
}

TEST(FocusRing, TabReachesAControlAClickDoesNotFocusItAndSpaceOrReturnClickIt) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *first = new PillButton("One", OutlinePillButtonStyle{30}, &window);
    auto *second = new PillButton("Two", BlackPillButtonStyle{30}, &window);
    row->addWidget(first);
    row->addWidget(second);
    ASSERT_TRUE(activate(&window));
    EXPECT_EQ(tabWalk(&window), (std::vector<QWidget *>{first, second}));

    first->clearFocus();
    QTest::mouseClick(second, Qt::LeftButton, {}, second->rect().center());
    EXPECT_FALSE(second->hasFocus());

    QSignalSpy clicks(second, &QAbstractButton::clicked);
    second->setFocus(Qt::TabFocusReason);
    QTest::keyClick(second, Qt::Key_Space);
    QTest::keyClick(second, Qt::Key_Return);
    QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.size(), 3);
    QTest::keyClick(second, Qt::Key_Return, Qt::ControlModifier); // not ours: goes on to the window
    second->setEnabled(false);
    QTest::keyClick(second, Qt::Key_Return);
    EXPECT_EQ(clicks.size(), 3);
}

// Focus the program sets (a window that opens, a sheet that closes) shows the ring only for someone who uses
// the keyboard: after a click it stays plain, after a key press it shows, and Tab always shows it. A click
// hides the ring of the control that keeps focus.
TEST(FocusRing, FocusThatDidNotComeFromTabShowsTheRingOnlyAfterAKeyPress) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *first = new PillButton("Keys", OutlinePillButtonStyle{30}, &window);
    auto *second = new PillButton("Sounds", OutlinePillButtonStyle{30}, &window);
    row->addWidget(first);
    row->addWidget(second);
    QTest::mouseClick(&window, Qt::LeftButton); // the user works with the mouse
    ASSERT_TRUE(activate(&window));
    ASSERT_TRUE(first->hasFocus()); // the window's first control takes focus as it opens
    EXPECT_EQ(ringPixels(first->grab().toImage()), 0);

    second->setFocus(Qt::OtherFocusReason); // as when a sheet closes after a click
    EXPECT_EQ(ringPixels(second->grab().toImage()), 0);
    second->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(ringPixels(second->grab().toImage()), 0);

    QTest::keyClick(second, Qt::Key_Shift); // the user turns to the keyboard
    first->setFocus(Qt::OtherFocusReason);
    EXPECT_GT(ringPixels(first->grab().toImage()), 20);

    QTest::mouseClick(&window, Qt::LeftButton);
    second->setFocus(Qt::TabFocusReason); // Tab shows it whatever came before
    EXPECT_GT(ringPixels(second->grab().toImage()), 20);
    second->setFocus(Qt::BacktabFocusReason);
    EXPECT_GT(ringPixels(second->grab().toImage()), 20);

    // A click elsewhere leaves focus where it is but hides the ring; the next key press shows it again.
    QTest::mouseClick(&window, Qt::LeftButton);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_EQ(ringPixels(second->grab().toImage()), 0);
    QTest::keyClick(&window, Qt::Key_Shift);
    EXPECT_GT(ringPixels(second->grab().toImage()), 20);
}

// A window that counts the Return presses that reach it.
class ReturnCounter : public QWidget {
public:
    int returns = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Return) {
            ++returns;
        }
    }
};

TEST(FocusRing, RowsActOnSpaceAndReturnAndSomeButtonsLeaveReturnToTheirWindow) {
    shellApp();
    ReturnCounter window;
    auto *row = new QHBoxLayout(&window);
    int activated = 0;
    auto *plain = new QWidget(&window);
    plain->setMinimumSize(40, 20);
    FocusRing::attach(plain, 6, [&] { ++activated; });
    auto *card = new PillButton("Card", OutlinePillButtonStyle{30}, &window);
    auto *other = new QWidget(&window);
    other->setMinimumSize(40, 20);
    row->addWidget(plain);
    row->addWidget(card);
    row->addWidget(other);
    // A second attach changes nothing: the first one's way with Return stays.
    FocusRing::attachLeavingReturn(card, 8);
    FocusRing::attachLeavingReturn(other, 8);
    ASSERT_TRUE(activate(&window));

    plain->setFocus(Qt::TabFocusReason);
    QTest::keyClick(plain, Qt::Key_Space);
    QTest::keyClick(plain, Qt::Key_Return);
    QTest::keyClick(plain, Qt::Key_A);
    EXPECT_EQ(activated, 2);
    EXPECT_EQ(window.returns, 0);

    QSignalSpy clicks(card, &QAbstractButton::clicked);
    card->setFocus(Qt::TabFocusReason);
    QTest::keyClick(card, Qt::Key_Return);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(window.returns, 0);

    other->setFocus(Qt::TabFocusReason);
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(window.returns, 1);
}

} // namespace
} // namespace tc::test
