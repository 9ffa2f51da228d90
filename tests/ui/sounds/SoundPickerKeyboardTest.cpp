// The sound picker by keyboard alone: it opens with focus on the chosen sound's card, the arrow keys move
// through the grid choosing and previewing as a click does, Return uses the sound and Esc cancels.

#include "SoundPickerFixture.h"
#include "ui/FocusWalk.h"
#include "ui/kit/PlayButton.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerSoundCard.h"
#include "ui/sounds/PickerTabBar.h"

#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

constexpr std::uint16_t kA = 0;

TEST(SoundPickerKeyboard, TheArrowsBrowseTheGridAndReturnUsesTheChosenSound) {
    PickerFixture f;
    AppModel &model = f.start();
    // Five sounds of the user's own, so the grid has room every way; the key has the second.
    std::vector<std::string> mine;
    for (const char *name : {"one", "two", "three", "four", "five"}) {
        mine.push_back(model.importSound(std::filesystem::path("/in") / (std::string(name) + ".wav")).id);
    }
    const std::string start = mine[1];
    model.assign(start, {kA});
    SoundPickerSheet &sheet = f.open(SoundPickerTarget::keys({kA}));
    ASSERT_TRUE(activate(&sheet));
    const auto &cards = sheet.libraryPane()->cards();
    const auto focusedCard = [&]() -> PickerSoundCard * {
        return qobject_cast<PickerSoundCard *>(QApplication::focusWidget());
    };
    ASSERT_NE(focusedCard(), nullptr);
    EXPECT_EQ(focusedCard()->sound().id, start);
    const auto at = std::find(cards.begin(), cards.end(), focusedCard()) - cards.begin();

    // Each card a step lands on is chosen and played; Right goes by the card's play button, which chooses
    // nothing; the grid's edges hold the focus.
    const std::size_t plays = f.harness.audio.plays.size();
    QTest::keyClick(focusedCard(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), cards[static_cast<std::size_t>(at)]->playButton());
    EXPECT_EQ(sheet.state().chosen(), start);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    ASSERT_NE(focusedCard(), nullptr);
    EXPECT_EQ(focusedCard(), cards[static_cast<std::size_t>(at + 1)]);
    EXPECT_EQ(sheet.state().chosen(), focusedCard()->sound().id);
    EXPECT_TRUE(focusedCard()->isRinged());
    EXPECT_EQ(f.harness.audio.plays.size(), plays + 1);
    QTest::keyClick(focusedCard(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(focusedCard(), cards[static_cast<std::size_t>(at + 1)]);
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(focusedCard(), Qt::Key_Up);
    }
    EXPECT_LT(std::find(cards.begin(), cards.end(), focusedCard()) - cards.begin(), 3);
    QTest::keyClick(focusedCard(), Qt::Key_Down);
    const std::string chosen = focusedCard()->sound().id;
    EXPECT_EQ(sheet.state().chosen(), chosen);

    QTest::keyClick(focusedCard(), Qt::Key_Return);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_TRUE(model.data().activeProfile().assignment(kA));
    EXPECT_EQ(model.data().activeProfile().assignment(kA)->soundID, chosen);
}

TEST(SoundPickerKeyboard, TabReachesEveryControlAndEscCancels) {
    PickerFixture f;
    AppModel &model = f.start();
    SoundPickerSheet &sheet = f.open(SoundPickerTarget::keys({kA}));
    ASSERT_TRUE(activate(&sheet));
    // Nothing chosen yet: focus starts on the first card.
    ASSERT_FALSE(sheet.libraryPane()->cards().empty());
    EXPECT_EQ(QApplication::focusWidget(), sheet.libraryPane()->cards().front());

    const auto stops = tabWalk(&sheet);
    ASSERT_FALSE(stops.empty());
    EXPECT_EQ(stops.front(), sheet.tabBar()->findChildren<QAbstractButton *>().front()); // in reading order
    EXPECT_EQ(stops.back(), sheet.cancelButton()) << describe(stops).toStdString();      // "Use" waits for a choice
    const auto walk = keyboardWalk(&sheet);
    EXPECT_EQ(unreached(clickableControls(&sheet), walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());
    EXPECT_FALSE(sheet.useButton()->isEnabled());

    const FocusGrabs grabs = grabFocus(sheet.closeButton());
    EXPECT_NE(grabs.focused, grabs.unfocused);

    sheet.libraryPane()->cards().front()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_FALSE(model.data().activeProfile().assignment(kA));
}

// Every control of each tab shows the whole ring where Tab brings it, standing out from what it covers (the
// red record key's among them).
TEST(SoundPickerKeyboard, EveryRingOfEveryTabShowsWholeAndStandsOut) {
    for (const SoundPickerTab tab : {SoundPickerTab::library, SoundPickerTab::record, SoundPickerTab::importFile}) {
        PickerFixture f;
        f.start();
        SoundPickerSheet &sheet = f.open(SoundPickerTarget::keys({kA}));
        sheet.state().setTab(tab);
        ASSERT_TRUE(activate(&sheet));
        const QStringList hidden = hiddenRings(&sheet);
        EXPECT_TRUE(hidden.isEmpty()) << static_cast<int>(tab) << ":\n" << hidden.join(QLatin1Char('\n')).toStdString();
    }
}

} // namespace
} // namespace tc::test
