// The pack row with a big document: only the packs in view get cards, each card follows its own profile in
// place, and Tab still reaches every pack's "Use pack".

#include "ui/sounds/PacksRow.h"
#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/ProfileLists.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsView.h"

#include <gtest/gtest.h>

namespace tc::test {
namespace {

ProfileList cardList(const PacksRow &row) {
    return {[&row] {
                std::vector<std::pair<QWidget *, Uuid>> made;
                for (ProfilePackCard *card : row.cards()) {
                    made.emplace_back(card, card->profileID());
                }
                return made;
            },
            // "In use" instead of "Use pack".
            [](QWidget *widget) { return !static_cast<ProfilePackCard *>(widget)->useButton()->isVisibleTo(widget); },
            [](QWidget *) -> std::optional<QString> { return std::nullopt; }, // painted from the document
            // "Use pack", or on the pack in use the card itself, which opens the pack's menu.
            [](QWidget *widget) -> QWidget * {
                QAbstractButton *use = static_cast<ProfilePackCard *>(widget)->useButton();
                return use->isVisibleTo(widget) ? use : widget;
            },
            // About six cards show in the page's band, and one either side is made ahead.
            10};
}

TEST(PacksRow, MakesCardsForTheBandsViewAndFollowsEachProfileInPlace) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 300);
    SoundFilePanels panels;
    SoundsView view(model, panels);
    view.resize(1300, 800);
    ASSERT_TRUE(activate(&view));
    checkFollowsInPlace(cardList(*view.packsRow()), model);
    // The active pack's card follows its keys.
    PacksRow *row = view.packsRow();
    ProfilePackCard *active = row->cards()[2];
    ASSERT_TRUE(active->isActive());
    model.assign("synth.meow", {0});
    EXPECT_EQ(row->cards()[2], active);
}

TEST(PacksRow, TheArrowsReachEveryPackOfABigDocumentAndTabGoesOnToTheImportTile) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 300);
    SoundFilePanels panels;
    SoundsView view(model, panels);
    view.resize(1300, 800);
    ASSERT_TRUE(activate(&view));
    // The row is one Tab stop: the arrows go through the packs, and Tab from any of them to the import tile.
    checkTabReachesEveryProfile(cardList(*view.packsRow()), model, true, Qt::Key_Right, Qt::Key_Left);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view.packsRow()->importTile());
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
