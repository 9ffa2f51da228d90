// Focus marks follow the user in the program's own views: Settings opened by its shortcut puts no ring on the
// rail, a quick pick's ring has no frame of the style's round it, and a pack card that stops being the one in
// use hands its focus, and its ring, to its "Use pack".

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/editor/InspectorControls.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/Rail.h"
#include "ui/sounds/PacksRow.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsView.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// A started program with motion off, whose windows a test makes.
class FocusMarks : public ::testing::Test {
protected:
    FocusMarks() { motion::setEnabled(false); }
    ~FocusMarks() override {
        flushDeletes();
        motion::setEnabled(true);
    }

    QApplication &app = shellApp();
    Harness harness;
    AppModel &model = harness.started();
};

TEST_F(FocusMarks, SettingsOpenedByItsShortcutAfterAClickShowsNoRing) {
    model.completeOnboarding();
    model.setSection(AppSection::sounds);
    MainWindow window(model);
    window.resize(1400, 880);
    ASSERT_TRUE(activate(&window));
    QTest::mouseClick(window.rail()->item(AppSection::keyboard), Qt::LeftButton);
    QCoreApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Comma, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(model.section(), AppSection::settings);
    QWidget *focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_FALSE(FocusRing::shows(focused)) << describe({focused}).toStdString();
}

TEST_F(FocusMarks, AQuickPicksRingHasNoFrameRoundIt) {
    QWidget window;
    window.setStyleSheet(QStringLiteral("background: white;"));
    auto *picks = new QuickPicks(model, &window);
    window.resize(400, 120);
    ASSERT_TRUE(activate(&window));
    QAbstractButton *pick = picks->button("synth.meow");
    ASSERT_NE(pick, nullptr);
    // The window opens on the first pick; Tab on and back to it, which also tells the style that the keyboard
    // moved the focus.
    ASSERT_EQ(QApplication::focusWidget(), pick);
    QTest::keyClick(&window, Qt::Key_Tab);
    QTest::keyClick(&window, Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), pick);
    ASSERT_TRUE(FocusRing::shows(pick));
    // The ring is rounded: the button's corners stay as bare as its window.
    const QImage focused = window.grab(QRect(pick->mapTo(&window, QPoint(0, 0)), pick->size())).toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(focused.width() - 1, 0), QPoint(0, focused.height() - 1),
                                QPoint(focused.width() - 1, focused.height() - 1)}) {
        EXPECT_EQ(focused.pixelColor(corner), QColor(Qt::white)) << corner.x() << "," << corner.y();
    }
}

TEST_F(FocusMarks, APackCardThatStopsBeingInUseHandsItsFocusToUsePack) {
    SoundsView view(model, SoundFilePanels{});
    view.resize(1300, 800);
    ASSERT_TRUE(activate(&view));
    ProfilePackCard *card = nullptr;
    for (ProfilePackCard *made : view.packsRow()->cards()) {
        card = made->isActive() ? made : card;
    }
    ASSERT_NE(card, nullptr);
    card->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(FocusRing::shows(card));
    const Uuid other = model.data().profiles.back().id;
    ASSERT_NE(other, card->profileID());
    model.setActiveProfile(other); // from the header or the tray
    QCoreApplication::processEvents();
    ASSERT_FALSE(card->isActive());
    EXPECT_EQ(QApplication::focusWidget(), card->useButton());
    EXPECT_FALSE(FocusRing::shows(card));
    EXPECT_TRUE(FocusRing::shows(card->useButton()));
}

} // namespace
} // namespace tc::test
