// The one focus ring of the painted controls: a control shows it only while it has keyboard focus, Tab and a
// click focus it (a click without the ring), focus the program sets shows it only for keyboard users, Space and
// Return act as a click, the ring shows over the control's children, and a control disabled while it has focus
// hands the focus on to the next step, not down the chain.

#include "ui/kit/FocusRing.h"
#include "ui/FocusWalk.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
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
        EXPECT_EQ(control->focusPolicy(), Qt::StrongFocus) << c.name;
        control->clearFocus(); // the window gave focus to its only control
        const QImage before = control->grab().toImage();
        const FocusGrabs grabs = grabFocus(control);
        EXPECT_GT(ringPixels(grabs.focused), 20) << c.name;
        EXPECT_EQ(ringPixels(grabs.unfocused), 0) << c.name;
        EXPECT_EQ(grabs.unfocused, before) << c.name; // focus leaves nothing behind
    }
}

TEST(FocusRing, TabOrAClickFocusesAControlAClickWithoutTheRingAndSpaceOrReturnClickIt) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *first = new PillButton("One", OutlinePillButtonStyle{30}, &window);
    auto *second = new PillButton("Two", BlackPillButtonStyle{30}, &window);
    bool on = false;
    auto *toggle = new PillToggle({[&] { return on; }, [&](bool v) { on = v; }}, "Stereo", &window);
    row->addWidget(first);
    row->addWidget(second);
    row->addWidget(toggle);
    ASSERT_TRUE(activate(&window));
    EXPECT_EQ(tabWalk(&window), (std::vector<QWidget *>{first, second, toggle}));

    // Tab to a button, click the switch, Space: the switch turns, not the button the keyboard had reached.
    QSignalSpy firstClicks(first, &QAbstractButton::clicked);
    first->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(toggle, Qt::LeftButton, {}, toggle->rect().center());
    ASSERT_TRUE(on);
    EXPECT_TRUE(toggle->hasFocus());
    EXPECT_EQ(ringPixels(toggle->grab().toImage()), 0);
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_FALSE(on);
    EXPECT_EQ(firstClicks.size(), 0);

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
    second->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(second, Qt::Key_Tab); // Tab shows it whatever came before
    ASSERT_TRUE(first->hasFocus());
    EXPECT_GT(ringPixels(first->grab().toImage()), 20);
    QTest::keyClick(first, Qt::Key_Backtab);
    ASSERT_TRUE(second->hasFocus());
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

// Keys used in a menu or another window, or a shortcut that acts, say nothing of where the user put the focus:
// the control clicked before or after, or given the focus by the shortcut, shows no ring.
struct ElsewhereKeys {
    const char *name;
    std::function<void(QWidget &window, QWidget *first, QWidget *second)> act;
    bool clickSecondAfter; // the user clicks the second control afterwards
};

TEST(FocusRing, KeysUsedElsewhereNeverRingTheControlTheUserClicked) {
    shellApp();
    const ElsewhereKeys cases[] = {
        {"a menu used with the keys",
         [](QWidget &window, QWidget *first, QWidget *) {
             QMenu menu(&window);
             menu.addAction(QStringLiteral("One"));
             menu.addAction(QStringLiteral("Two"));
             menu.popup(first->mapToGlobal(QPoint(0, first->height())));
             ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
             QTest::keyClick(&menu, Qt::Key_Down);
             QTest::keyClick(&menu, Qt::Key_Escape);
         },
         true},
        {"a dialog typed in",
         [](QWidget &window, QWidget *, QWidget *) {
             QWidget dialog;
             auto *field = new PillButton("OK", OutlinePillButtonStyle{30}, &dialog);
             ASSERT_TRUE(activate(&dialog));
             QTest::keyClick(field, Qt::Key_Tab);
             QTest::keyClick(field, Qt::Key_A);
             dialog.close();
             window.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
         },
         true},
        {"a shortcut that opens a page",
         [](QWidget &window, QWidget *, QWidget *second) {
             QShortcut shortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), &window);
             QObject::connect(&shortcut, &QShortcut::activated, second,
                              [second] { second->setFocus(Qt::OtherFocusReason); });
             QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
             EXPECT_TRUE(second->hasFocus());
         },
         false},
    };
    for (const ElsewhereKeys &test : cases) {
        SCOPED_TRACE(test.name);
        QWidget window;
        auto *row = new QHBoxLayout(&window);
        auto *first = new PillButton("Keys", OutlinePillButtonStyle{30}, &window);
        auto *second = new PillButton("Sounds", OutlinePillButtonStyle{30}, &window);
        row->addWidget(first);
        row->addWidget(second);
        ASSERT_TRUE(activate(&window));
        QTest::mouseClick(first, Qt::LeftButton);
        ASSERT_TRUE(first->hasFocus());
        test.act(window, first, second);
        QCoreApplication::processEvents();
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_FALSE(FocusRing::shows(focused)) << focused->accessibleName().toStdString();
        if (test.clickSecondAfter) {
            QTest::mouseClick(second, Qt::LeftButton);
            ASSERT_TRUE(second->hasFocus());
            EXPECT_FALSE(FocusRing::shows(second));
        }
        EXPECT_EQ(ringPixels(window.grab().toImage()), 0);
    }
}

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

// Focus that moves on because of a click shows no ring: Qt hands the focus of a control a click hides down the
// chain as Tab would, and a window that comes back after a click elsewhere keeps its ring hidden.
TEST(FocusRing, FocusThatMovesOnAfterAClickShowsNoRing) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *first = new PillButton("Keys", OutlinePillButtonStyle{30}, &window);
    auto *second = new PillButton("Sounds", OutlinePillButtonStyle{30}, &window);
    row->addWidget(first);
    row->addWidget(second);
    ASSERT_TRUE(activate(&window));
    QTest::keyClick(&window, Qt::Key_Shift);
    first->setFocus(Qt::TabFocusReason);
    ASSERT_GT(ringPixels(first->grab().toImage()), 20);
    QTest::mouseClick(&window, Qt::LeftButton); // as on another section's rail item, which hides the page
    first->hide();
    ASSERT_TRUE(second->hasFocus());
    EXPECT_EQ(ringPixels(second->grab().toImage()), 0);
    first->show();

    // Another window of the program (a chooser, a sheet) and back: the ring comes back only if no click came
    // between.
    QWidget other;
    auto *otherButton = new PillButton("Choose", OutlinePillButtonStyle{30}, &other);
    (void)otherButton;
    for (const bool click : {false, true}) {
        ASSERT_TRUE(activate(&window));
        first->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(first, Qt::Key_Tab);
        ASSERT_TRUE(second->hasFocus());
        ASSERT_GT(ringPixels(second->grab().toImage()), 20);
        ASSERT_TRUE(activate(&other));
        if (click) {
            QTest::mouseClick(&other, Qt::LeftButton);
        }
        ASSERT_TRUE(activate(&window));
        ASSERT_TRUE(second->hasFocus());
        EXPECT_EQ(ringPixels(second->grab().toImage()) > 20, !click) << click;
        other.hide();
    }
}

// A control disabled while it has focus (a button whose work is under way) leaves the focus waiting on its
// window, not on the next control in the chain ("Cancel"), and takes it back when it is enabled again, unless
// the program moved it on to the next step meanwhile; also when the window was not active meanwhile.
TEST(FocusRing, AControlDisabledWhileFocusedKeepsTheFocusOffTheNextControlInTheChain) {
    shellApp();
    for (const bool movedOn : {false, true}) {
        for (const bool inactive : {false, true}) {
            ReturnCounter window;
            auto *row = new QHBoxLayout(&window);
            auto *choose = new PillButton("Choose file", OutlinePillButtonStyle{30}, &window);
            auto *cancel = new PillButton("Cancel", OutlinePillButtonStyle{30}, &window);
            auto *use = new PillButton("Use this sound", BlackPillButtonStyle{30}, &window);
            row->addWidget(choose);
            row->addWidget(cancel);
            row->addWidget(use);
            use->setEnabled(false);
            QSignalSpy cancels(cancel, &QAbstractButton::clicked);
            ASSERT_TRUE(activate(&window));
            choose->setFocus(Qt::TabFocusReason);

            QWidget other;
            if (inactive) {
                ASSERT_TRUE(activate(&other)); // as a file panel over the sheet
            }
            choose->setEnabled(false);
            EXPECT_NE(window.focusWidget(), cancel) << movedOn << inactive;
            if (inactive) {
                other.hide();
                ASSERT_TRUE(activate(&window));
            }
            EXPECT_NE(QApplication::focusWidget(), cancel) << movedOn << inactive;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_EQ(cancels.size(), 0);

            choose->setEnabled(true);
            if (movedOn) {
                use->setEnabled(true);
                use->setFocus(Qt::OtherFocusReason);
            }
            QCoreApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), movedOn ? use : choose) << movedOn << inactive;
        }
    }
}

// The ring is drawn over the control's children (a badge that fills the control would hide it otherwise).
TEST(FocusRing, TheRingShowsWholeOverTheControlsChildren) {
    shellApp();
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    auto *pick = new PillButton("Meow", OutlinePillButtonStyle{40}, &window);
    row->addWidget(pick);
    auto *badge = new QWidget(pick);
    badge->setAutoFillBackground(true);
    QPalette palette = badge->palette();
    palette.setColor(QPalette::Window, Qt::white);
    badge->setPalette(palette);
    ASSERT_TRUE(activate(&window));
    badge->setGeometry(pick->rect());
    badge->show();
    const RingSight sight = ringSight(pick);
    EXPECT_GE(sight.shown, 0.95);
    EXPECT_GE(sight.standsOut, 0.9);
}

} // namespace
} // namespace tc::test
