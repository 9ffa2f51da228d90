// The Sounds page by keyboard: Tab reaches every control a user clicks (import, the packs, the chips, each
// row's play and Assign), each has a name, and a focused chip shows it.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/sounds/PacksRow.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsScreenState.h"
#include "ui/sounds/SoundsView.h"

#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(SoundsKeyboard, TabReachesImportThePacksTheChipsAndEveryRowsButtons) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.setSelectedKeys({0}); // "Assign" is enabled
    SoundFilePanels panels;
    SoundsView view(model, panels);
    view.resize(1300, 800);
    ASSERT_TRUE(activate(&view));

    const auto walk = keyboardWalk(&view);
    const auto controls = clickableControls(&view);
    EXPECT_EQ(unreached(controls, walk), QStringList());
    EXPECT_EQ(nameless(walk), QStringList());
    ASSERT_FALSE(walk.empty());
    ASSERT_GE(walk.size(), 2u);
    EXPECT_EQ(walk[1], view.importButton()) << describe(walk).toStdString(); // after the search field, left of it
    const auto rows = view.findChildren<SoundLibraryRow *>();
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_NE(std::find(walk.begin(), walk.end(), rows.front()->playButton()), walk.end());
    EXPECT_NE(std::find(walk.begin(), walk.end(), rows.front()->assignButton()), walk.end());

    const auto chips = view.findChildren<CategoryFilterChip *>();
    ASSERT_GE(chips.size(), 2);
    const FocusGrabs grabs = grabFocus(chips[1]);
    EXPECT_NE(grabs.focused, grabs.unfocused);
    // Space on a chip filters as a click does.
    chips[1]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(chips[1], Qt::Key_Space);
    EXPECT_EQ(view.state().filter(), chips[1]->category());
    flushDeletes();
    motion::setEnabled(true);
}

// The pack in use has no "Use pack": Tab reaches its card, whose Space or Return opens the pack's
// menu with Duplicate, Share and Delete; "Use pack" on another card hands the focus to that card.
TEST(SoundsKeyboard, TabReachesThePackInUseAndItsMenu) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    SoundFilePanels panels;
    SoundsView view(model, panels);
    view.resize(1300, 800);
    ASSERT_TRUE(activate(&view));
    const auto walk = keyboardWalk(&view);
    ProfilePackCard *active = nullptr;
    ProfilePackCard *other = nullptr;
    for (ProfilePackCard *card : view.packsRow()->cards()) {
        (card->isActive() ? active : other) = card;
    }
    ASSERT_NE(active, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(std::find(walk.begin(), walk.end(), active), walk.end()) << describe(walk).toStdString();
    EXPECT_FALSE(spokenName(active).isEmpty());

    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        active->setFocus(Qt::TabFocusReason);
        QTest::keyClick(active, key);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << key;
        QStringList texts;
        for (QAction *action : menu->actions()) {
            texts << action->text();
        }
        EXPECT_TRUE(texts.contains(QStringLiteral("Duplicate"))) << texts.join(',').toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("Delete"))) << texts.join(',').toStdString();
        menu->close();
    }

    other->useButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(other->useButton(), Qt::Key_Space);
    ASSERT_TRUE(other->isActive());
    EXPECT_EQ(QApplication::focusWidget(), other);
    flushDeletes();
    motion::setEnabled(true);
}

// Every chip's swatch stands out from the chip's own fill, chosen or not: the "My sounds" swatch is as dark as
// a chosen chip.
TEST(SoundsChips, EverySwatchShowsOnAChosenAndAnUnchosenChip) {
    shellApp();
    for (SoundCategory category : kAllSoundCategories) {
        CategoryFilterChip chip(category, QStringLiteral("Chip"));
        for (bool chosen : {false, true}) {
            chip.setChecked(chosen);
            const QImage image = chip.grab().toImage();
            const int middle = image.height() / 2;
            // The swatch sits 14 px in, 10 px square; the chip's own fill shows left of it.
            const int fill = qGray(image.pixel(8, middle));
            int contrast = 0;
            for (int y = middle - 5; y <= middle + 5; ++y) {
                for (int x = 13; x <= 25; ++x) {
                    contrast = std::max(contrast, std::abs(qGray(image.pixel(x, y)) - fill));
                }
            }
            EXPECT_GE(contrast, 20) << categoryTitle(category).toStdString() << (chosen ? " chosen" : "");
        }
    }
}

} // namespace
} // namespace tc::test
