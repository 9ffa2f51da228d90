// The picker's library with five hundred sounds of the user's own: cards are widgets only near what the grid
// shows, placed as the grid layout would place them, kept per sound through edits, and reached by the arrow
// keys and Tab wherever they are.

#include "SoundPickerFixture.h"
#include "ui/FocusWalk.h"
#include "ui/kit/PlayButton.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerSoundCard.h"

#include <QGridLayout>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace tc::test {
namespace {

constexpr int kOwnSounds = 500;
constexpr int kColumns = PickerLibraryPane::kGridColumns;
constexpr int kPitch = PickerSoundCard::kHeight + 10;

std::string ownID(int number) {
    return "user.grid." + std::to_string(number);
}

class PickerLibraryLazyTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppModel &model = f_.start();
        model.commitEdit(
            [](AppData &data) {
                for (int i = 0; i < kOwnSounds; ++i) {
                    data.userSounds.push_back(
                        {ownID(i), "Take " + std::to_string(i), SoundCategory::mine, ownID(i) + ".wav", 0.5});
                }
            },
            AppModel::userSoundsPart);
    }

    // Opens the picker for the A key, which plays the sound `chosen`.
    PickerLibraryPane &open(int chosen) {
        f_.harness.model->assign(ownID(chosen), {0});
        SoundPickerSheet &sheet = f_.open(SoundPickerTarget::keys({0}));
        settle();
        return *sheet.libraryPane();
    }

    static void settle() {
        QCoreApplication::processEvents();
        flushDeletes();
    }

    std::size_t cardWidgets() { return static_cast<std::size_t>(f_.sheet->findChildren<PickerSoundCard *>().size()); }

    // The most cards the grid may hold: the rows in view and one either side, as many spares for the next scroll,
    // and the focused card's.
    std::size_t mostCards(PickerLibraryPane &pane) {
        const int rows = pane.scrollArea()->viewport()->height() / kPitch + 3;
        return static_cast<std::size_t>(2 * rows * kColumns + 1);
    }

    PickerSoundCard *madeCard(PickerLibraryPane &pane, const std::string &id) {
        for (PickerSoundCard *card : pane.cards()) {
            if (card->sound().id == id) {
                return card;
            }
        }
        return nullptr;
    }

    // Every card the viewport shows is made, shown, for the sound of its place, in its cell.
    void expectViewFilled(PickerLibraryPane &pane, const std::vector<std::string> &ids) {
        EXPECT_EQ(pane.shownIDs(), ids);
        QScrollArea *scroll = pane.scrollArea();
        const int top = scroll->verticalScrollBar()->value();
        const int count = static_cast<int>(ids.size());
        const std::vector<QRect> cells = PickerLibraryPane::cells(scroll->widget()->width(), count);
        int checked = 0;
        for (int i = 0; i < count; ++i) {
            const QRect &cell = cells[static_cast<std::size_t>(i)];
            if (cell.bottom() < top || cell.top() >= top + scroll->viewport()->height()) {
                continue;
            }
            PickerSoundCard *card = madeCard(pane, ids[static_cast<std::size_t>(i)]);
            ASSERT_NE(card, nullptr) << "card " << i << " at scroll " << top;
            EXPECT_TRUE(card->isVisible());
            EXPECT_EQ(card->geometry(), cell) << i;
            ++checked;
        }
        EXPECT_GT(checked, 0);
        EXPECT_LE(cardWidgets(), mostCards(pane));
    }

    static std::vector<std::string> allIDs() {
        std::vector<std::string> ids;
        for (int i = 0; i < kOwnSounds; ++i) {
            ids.push_back(ownID(i));
        }
        return ids;
    }

    PickerFixture f_;
};

// The cells are those a grid layout of three stretching columns gives real cards, at any width and count.
TEST(PickerLibraryCells, AreWhereAGridLayoutOfCardsPutsThem) {
    shellApp();
    for (const int count : {1, 2, 3, 4, 7}) {
        for (const int width : {300, 397, 500, 641, 700, 766, 901}) {
            SCOPED_TRACE(std::to_string(count) + " cards, " + std::to_string(width) + " wide");
            QWidget host;
            auto *grid = new QGridLayout(&host);
            grid->setContentsMargins(2, 2, 2, 2);
            grid->setHorizontalSpacing(10);
            grid->setVerticalSpacing(10);
            grid->setAlignment(Qt::AlignTop);
            for (int c = 0; c < kColumns; ++c) {
                grid->setColumnStretch(c, 1);
            }
            std::vector<PickerSoundCard *> cards;
            for (int i = 0; i < count; ++i) {
                cards.push_back(new PickerSoundCard(
                    {"s" + std::to_string(i), "Take", SoundCategory::mine, {}, 0.5}, [] {}, [] {}, &host));
                grid->addWidget(cards.back(), i / kColumns, i % kColumns);
            }
            grid->setGeometry(QRect(0, 0, width, 2000));
            const std::vector<QRect> cells = PickerLibraryPane::cells(width, count);
            ASSERT_EQ(cells.size(), cards.size());
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(cells[static_cast<std::size_t>(i)], cards[static_cast<std::size_t>(i)]->geometry()) << i;
            }
        }
    }
}

TEST_F(PickerLibraryLazyTest, CardsAreMadeOnlyNearTheViewWhereverTheGridIsScrolled) {
    PickerLibraryPane &pane = open(0);
    ASSERT_EQ(f_.sheet->state().category(), SoundCategory::mine);
    QScrollBar *bar = pane.scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int rows = (kOwnSounds + kColumns - 1) / kColumns;
    EXPECT_EQ(bar->maximum(), 4 + rows * kPitch - 10 - pane.scrollArea()->viewport()->height());
    expectViewFilled(pane, allIDs());
    for (const int to : {kPitch / 2, 3 * kPitch + 5, bar->maximum() / 2, bar->maximum(), 1000, 0}) {
        SCOPED_TRACE(to);
        bar->setValue(to);
        settle();
        expectViewFilled(pane, allIDs());
    }
}

// The picker opens scrolled to the chosen card, far down the grid, with the focus on it; the arrows then
// browse the grid beyond the cards made at first, choosing as they go.
TEST_F(PickerLibraryLazyTest, OpensOnTheChosenCardAndTheArrowsBrowseTheWholeGrid) {
    PickerLibraryPane &pane = open(400);
    ASSERT_TRUE(activate(f_.sheet.get()));
    settle();
    auto *focused = qobject_cast<PickerSoundCard *>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->sound().id, ownID(400));
    EXPECT_TRUE(focused->isRinged());
    expectViewFilled(pane, allIDs());
    EXPECT_LE(cardWidgets(), mostCards(pane));

    // Up twenty rows, then right past the card's play button: the card of each step is chosen, and in view.
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        settle();
    }
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        settle();
    }
    focused = qobject_cast<PickerSoundCard *>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->sound().id, ownID(400 - 20 * kColumns + 1));
    EXPECT_EQ(f_.sheet->state().chosen(), ownID(400 - 20 * kColumns + 1));
    EXPECT_TRUE(focused->isRinged());
    const QRect shown(QPoint(0, pane.scrollArea()->verticalScrollBar()->value()),
                      pane.scrollArea()->viewport()->size());
    EXPECT_TRUE(shown.contains(focused->geometry())) << "the focused card is scrolled into view";
    expectViewFilled(pane, allIDs());
    EXPECT_LE(cardWidgets(), mostCards(pane));

    // Right goes on to the card's play button, then to the next card, made late but in order.
    QTest::keyClick(focused, Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), focused->playButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    auto *next = qobject_cast<PickerSoundCard *>(QApplication::focusWidget());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->sound().id, ownID(400 - 20 * kColumns + 2));
}

TEST_F(PickerLibraryLazyTest, AnEditOfOneSoundChangesItsCardInPlace) {
    PickerLibraryPane &pane = open(0);
    std::map<std::string, QPointer<PickerSoundCard>> before;
    for (PickerSoundCard *card : pane.cards()) {
        before[card->sound().id] = card;
    }
    ASSERT_TRUE(before.contains(ownID(4)));
    AppModel &model = *f_.harness.model;

    // Renamed: the same card, with the new name.
    model.renameSound(ownID(4), "Door knock");
    settle();
    ASSERT_FALSE(before[ownID(4)].isNull());
    EXPECT_EQ(madeCard(pane, ownID(4)), before[ownID(4)].data());
    EXPECT_EQ(before[ownID(4)]->accessibleName(), QStringLiteral("Door knock"));
    EXPECT_EQ(before[ownID(4)]->sound().name, "Door knock");

    // Deleted: its card goes, and those after it move back a place, the same widgets.
    model.deleteUserSound(*model.sound(ownID(1)));
    settle();
    EXPECT_TRUE(before[ownID(1)].isNull() || before[ownID(1)]->isHidden() ||
                before[ownID(1)]->sound().id != ownID(1)); // gone, or back in the pool
    std::vector<std::string> ids = allIDs();
    ids.erase(ids.begin() + 1);
    expectViewFilled(pane, ids);
    for (const auto &[id, card] : before) {
        if (id != ownID(1)) {
            ASSERT_FALSE(card.isNull()) << id;
            EXPECT_EQ(madeCard(pane, id), card.data()) << id;
        }
    }

    // Added: last in the grid, where it shows once scrolled to.
    const SoundItem added = model.importSound("/in/Added.wav");
    settle();
    ids.push_back(added.id);
    EXPECT_EQ(pane.shownCount(SoundCategory::mine), kOwnSounds);
    pane.scrollArea()->verticalScrollBar()->setValue(pane.scrollArea()->verticalScrollBar()->maximum());
    settle();
    expectViewFilled(pane, ids);
    ASSERT_NE(madeCard(pane, added.id), nullptr);
    EXPECT_EQ(madeCard(pane, added.id)->accessibleName(), QStringLiteral("Added"));
}

} // namespace
} // namespace tc::test
