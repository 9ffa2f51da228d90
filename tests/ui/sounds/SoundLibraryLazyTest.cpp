// The Sounds library with five hundred sounds of the user's own: rows are widgets only near what the list shows,
// kept per sound through edits, searches and filters, in the right place as the list scrolls, and in the Tab
// order as they are made.

#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/kit/CardScrollBar.h"
#include "ui/kit/Shapes.h"
#include "ui/sounds/SoundLibraryPanel.h"
#include "ui/sounds/SoundLibraryRow.h"
#include "ui/sounds/SoundsScreenState.h"
#include "ui/sounds/SoundsView.h"

#include <QLabel>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace tc::test {
namespace {

constexpr int kOwnSounds = 500;
constexpr int kPitch = SoundLibraryRow::kHeight + 1;

std::string ownID(int number) {
    return "user.lazy." + std::to_string(number);
}

// "Sound 007": padded, so that a search for "Sound 1" finds exactly the hundreds from 100.
std::string ownName(int number) {
    const std::string digits = std::to_string(number);
    return "Sound " + std::string(3 - digits.size(), '0') + digits;
}

class SoundLibraryLazyTest : public ::testing::Test {
protected:
    void SetUp() override {
        shellApp();
        motion::setEnabled(false);
        model_ = &harness_.started();
        model_->commitEdit(
            [](AppData &data) {
                for (int i = 0; i < kOwnSounds; ++i) {
                    data.userSounds.push_back(
                        {ownID(i), ownName(i), SoundCategory::mine, ownID(i) + ".wav", 0.25 + 0.001 * i});
                }
            },
            AppModel::userSoundsPart);
        view_ = std::make_unique<SoundsView>(*model_, SoundFilePanels{});
        view_->resize(1300, 800);
        view_->show();
        settle();
    }
    void TearDown() override {
        view_.reset();
        flushDeletes();
        motion::setEnabled(true);
    }

    SoundLibraryPanel &panel() { return *view_->libraryPanel(); }
    QScrollBar &bar() { return *panel().scrollArea()->verticalScrollBar(); }
    int viewHeight() { return panel().scrollArea()->viewport()->height(); }

    // Lets the layouts and the deferred deletes run, as the event loop would between two user actions.
    static void settle() {
        QCoreApplication::processEvents();
        flushDeletes();
    }

    // The row widgets that exist (none is waiting for deletion after settle()).
    std::size_t rowWidgets() { return static_cast<std::size_t>(view_->findChildren<SoundLibraryRow *>().size()); }

    // The most rows the list may hold: those in view and one either side, and as many spares for the next scroll.
    std::size_t mostRows() { return static_cast<std::size_t>(2 * (viewHeight() / kPitch + 3)); }

    // The made row of `id`, without making one.
    SoundLibraryRow *madeRow(const std::string &id) {
        for (SoundLibraryRow *row : panel().visibleRows()) {
            if (row->sound().id == id) {
                return row;
            }
        }
        return nullptr;
    }

    // Every row the viewport shows is made, shown, for the sound of its place, across the list's width.
    void expectViewFilled(const std::vector<std::string> &expectedIDs) {
        EXPECT_EQ(panel().shownIDs(), expectedIDs);
        const int top = bar().value();
        const int end = std::min<int>(static_cast<int>(expectedIDs.size()), (top + viewHeight() + kPitch - 1) / kPitch);
        ASSERT_LT(top / kPitch, std::max(end, 1));
        for (int i = top / kPitch; i < end; ++i) {
            SoundLibraryRow *row = madeRow(expectedIDs[static_cast<std::size_t>(i)]);
            ASSERT_NE(row, nullptr) << "row " << i << " at scroll " << top;
            EXPECT_TRUE(row->isVisible());
            EXPECT_EQ(row->QWidget::geometry(), QRect(0, i * kPitch, panel().scrollArea()->widget()->width(), kPitch))
                << i;
        }
        EXPECT_LE(rowWidgets(), mostRows());
    }

    static std::vector<std::string> allIDs() {
        std::vector<std::string> ids;
        for (int i = 0; i < kOwnSounds; ++i) {
            ids.push_back(ownID(i));
        }
        return ids;
    }

    Harness harness_;
    AppModel *model_ = nullptr;
    std::unique_ptr<SoundsView> view_;
};

TEST_F(SoundLibraryLazyTest, RowsAreMadeOnlyNearTheViewWhereverTheListIsScrolled) {
    view_->state().setFilter(SoundCategory::mine);
    settle();
    ASSERT_GT(viewHeight(), 2 * kPitch);
    ASSERT_GT(bar().maximum(), 0);
    EXPECT_EQ(bar().maximum(), kOwnSounds * kPitch - viewHeight()); // the list is as tall as every row
    expectViewFilled(allIDs());

    // Scrolling by small steps and by jumps, down and back up, and to each end.
    for (const int to : {kPitch / 3, 7 * kPitch + 11, 4000, 4000 + viewHeight(), bar().maximum() / 2, bar().maximum(),
                         bar().maximum() - 1, 2500, 0}) {
        SCOPED_TRACE(to);
        bar().setValue(to);
        settle();
        expectViewFilled(allIDs());
    }
}

// Renaming, deleting and adding a sound change that sound's row alone: every other row keeps its widget, which
// moves when the rows above it changed.
// The list runs down to its card's rounded bottom: the scroll bar's thumb stays inside the card at either end.
TEST_F(SoundLibraryLazyTest, ItsScrollBarStaysInsideTheRoundedCard) {
    constexpr qreal kCardCorner = 20; // the library card's corner radius
    for (const QSize size : {QSize(1300, 800), QSize(1180, 560)}) {
        SCOPED_TRACE(size.height());
        view_->resize(size);
        settle();
        ASSERT_TRUE(bar().isVisible());
        const QPainterPath card = continuousRoundedRect(QRectF(panel().rect()), kCardCorner);
        for (const bool atEnd : {false, true}) {
            const QRect thumb = CardScrollBar::thumbIn(panel().scrollArea(), &panel(), atEnd);
            ASSERT_FALSE(thumb.isEmpty());
            for (const QPointF corner : {QPointF(thumb.topLeft()), QPointF(thumb.topRight()),
                                         QPointF(thumb.bottomLeft()), QPointF(thumb.bottomRight())}) {
                EXPECT_TRUE(card.contains(corner))
                    << (atEnd ? "at the end: " : "at the start: ") << corner.x() << "," << corner.y() << " in "
                    << panel().width() << "x" << panel().height();
            }
        }
    }
}

TEST_F(SoundLibraryLazyTest, AnEditOfOneSoundChangesItsRowInPlace) {
    view_->state().setFilter(SoundCategory::mine);
    settle();
    struct Case {
        const char *what;
        std::function<void(AppModel &)> edit;
        std::string changedID;           // the row that changes or goes; empty: one added
        std::optional<std::string> name; // the changed row's name; absent: the row is gone
    };
    const Case cases[] = {
        {"rename", [](AppModel &m) { m.renameSound(ownID(2), "  Door knock "); }, ownID(2), "Door knock"},
        {"delete", [](AppModel &m) { m.deleteUserSound(*m.sound(ownID(3))); }, ownID(3), std::nullopt},
        {"add", [](AppModel &m) { m.importSound("/in/Added last.wav"); }, "", "Added last"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        bar().setValue(0);
        settle();
        std::map<std::string, QPointer<SoundLibraryRow>> before;
        for (SoundLibraryRow *row : panel().visibleRows()) {
            before[row->sound().id] = row;
        }
        ASSERT_TRUE(before.contains(ownID(5)));
        const std::vector<std::string> idsBefore = panel().shownIDs();

        c.edit(*model_);
        settle();
        const std::vector<std::string> ids = panel().shownIDs();
        for (const auto &[id, row] : before) {
            if (id == c.changedID && !c.name) {
                // The deleted sound's row is gone, or back in the pool for another sound.
                EXPECT_TRUE(row.isNull() || row->isHidden() || row->sound().id != id);
                continue;
            }
            ASSERT_FALSE(row.isNull()) << id << " kept its row";
            EXPECT_EQ(madeRow(id), row.data());
            const auto at = std::find(ids.begin(), ids.end(), id) - ids.begin();
            EXPECT_EQ(row->QWidget::geometry().top(), at * kPitch) << id;
        }
        if (!c.changedID.empty() && c.name) {
            ASSERT_NE(madeRow(c.changedID), nullptr);
            EXPECT_EQ(madeRow(c.changedID)->sound().name, *c.name);
            EXPECT_EQ(ids, idsBefore);
        }
        if (!c.name) {
            EXPECT_EQ(madeRow(c.changedID), nullptr);
            EXPECT_EQ(panel().rowFor(c.changedID), nullptr);
            EXPECT_EQ(std::find(ids.begin(), ids.end(), c.changedID), ids.end());
            EXPECT_EQ(ids.size(), idsBefore.size() - 1);
        }
        if (c.changedID.empty()) {
            // The new sound comes last, and its row shows there once the list is scrolled to its end.
            ASSERT_EQ(ids.size(), idsBefore.size() + 1);
            EXPECT_TRUE(std::equal(idsBefore.begin(), idsBefore.end(), ids.begin()));
            bar().setValue(bar().maximum());
            settle();
            SoundLibraryRow *added = madeRow(ids.back());
            ASSERT_NE(added, nullptr);
            EXPECT_EQ(added->sound().name, *c.name);
            EXPECT_EQ(added->QWidget::geometry().top(), static_cast<int>(ids.size() - 1) * kPitch);
            expectViewFilled(ids);
        }
        EXPECT_LE(rowWidgets(), mostRows());
    }
}

TEST_F(SoundLibraryLazyTest, ASearchOrAFilterReusesTheRowsItKeepsAndStartsAtTheTop) {
    // "All": the built-ins first, then the user's sounds; the list scrolled to the first of these.
    settle();
    ASSERT_NE(panel().rowFor(ownID(0)), nullptr);
    settle();
    std::map<std::string, QPointer<SoundLibraryRow>> before;
    for (SoundLibraryRow *row : panel().visibleRows()) {
        before[row->sound().id] = row;
    }
    ASSERT_TRUE(before.contains(ownID(0)));

    // My sounds: the user's rows made under "All" are the same widgets, moved up.
    view_->state().setFilter(SoundCategory::mine);
    settle();
    expectViewFilled(allIDs());
    for (const auto &[id, row] : before) {
        if (id.starts_with("user.")) {
            EXPECT_EQ(madeRow(id), row.data()) << id;
        }
    }

    // A search from far down the list: the first results at the top, every one in place as the list scrolls.
    bar().setValue(bar().maximum() / 2);
    settle();
    view_->state().setSearch(QStringLiteral("sound 1"));
    settle();
    EXPECT_EQ(bar().value(), 0);
    std::vector<std::string> hundreds;
    for (int i = 100; i < 200; ++i) {
        hundreds.push_back(ownID(i));
    }
    expectViewFilled(hundreds);
    for (const int to : {bar().maximum(), bar().maximum() / 2}) {
        bar().setValue(to);
        settle();
        expectViewFilled(hundreds);
    }

    // Nothing matches: no row at all, the empty line instead.
    view_->state().setSearch(QStringLiteral("no sound is called this"));
    settle();
    EXPECT_TRUE(panel().visibleRows().empty());
    for (SoundLibraryRow *row : view_->findChildren<SoundLibraryRow *>()) {
        EXPECT_TRUE(row->isHidden()) << "only spares are left";
    }
    EXPECT_TRUE(panel().shownIDs().empty());
    EXPECT_FALSE(panel().emptyLabel()->isHidden());
}

// The Right arrow from a row goes to the next row's controls in list order, also to rows made as the focus
// scrolls the list, and Left back.
TEST_F(SoundLibraryLazyTest, TheArrowsWalkTheRowsInOrderAsTheyAreMade) {
    view_->state().setFilter(SoundCategory::mine);
    settle();
    ASSERT_TRUE(activate(view_.get()));
    const auto rows = panel().visibleRows();
    ASSERT_FALSE(rows.empty());
    rows.front()->playButton()->setFocus(Qt::TabFocusReason);
    const std::size_t steps = 2 * (mostRows() + 10); // well past the rows made at first
    std::vector<std::string> walked;
    for (std::size_t i = 0; i < steps; ++i) {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        auto *row = qobject_cast<SoundLibraryRow *>(focused->parentWidget());
        ASSERT_NE(row, nullptr) << "step " << i << ": " << describe({focused}).toStdString();
        EXPECT_EQ(focused, i % 2 == 0 ? row->playButton() : row->assignButton()) << i;
        walked.push_back(row->sound().id);
        QTest::keyClick(focused, Qt::Key_Right);
        QCoreApplication::processEvents();
    }
    for (std::size_t i = 0; i < steps; ++i) {
        EXPECT_EQ(walked[i], ownID(static_cast<int>(i / 2))) << i;
    }
    EXPECT_GT(bar().value(), 0); // the focus scrolled the list
    flushDeletes();
    EXPECT_LE(rowWidgets(), mostRows());

    // Back up with Left, through rows let go on the way down and made again.
    for (std::size_t i = steps; i-- > 0;) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCoreApplication::processEvents();
        QWidget *focused = QApplication::focusWidget();
        auto *row = qobject_cast<SoundLibraryRow *>(focused->parentWidget());
        ASSERT_NE(row, nullptr) << "back step " << i;
        EXPECT_EQ(row->sound().id, walked[i]) << i;
        EXPECT_EQ(focused, i % 2 == 0 ? row->playButton() : row->assignButton()) << i;
    }
    EXPECT_EQ(bar().value(), 0);
}

// A sound imported into the long list is scrolled to and shows whole: in the list, and on a short screen where
// the page scrolls as a whole, in the page too.
TEST_F(SoundLibraryLazyTest, ANewImportIsScrolledToAndShowsWhole) {
    std::unique_ptr<QScrollArea> page;
    for (const bool shortScreen : {false, true}) {
        SCOPED_TRACE(shortScreen);
        if (shortScreen) {
            page = std::make_unique<QScrollArea>();
            page->setWidgetResizable(true);
            page->resize(1300, 520);
            view_->setMinimumHeight(720);
            page->setWidget(view_.release());
            page->show();
            settle();
        }
        SoundsView *view = page ? static_cast<SoundsView *>(page->widget()) : view_.get();
        view->state().setFilter(std::nullopt);
        settle();
        view->importFiles({QStringLiteral("/in/New take %1.wav").arg(shortScreen)});
        ASSERT_TRUE(harness_.finishWork());
        settle();
        SoundLibraryPanel &library = *view->libraryPanel();
        SoundLibraryRow *row = library.rowFor(library.shownIDs().back());
        ASSERT_NE(row, nullptr);
        ASSERT_EQ(row->sound().name, QStringLiteral("New take %1").arg(shortScreen).toStdString());
        const QWidget *list = library.scrollArea()->viewport();
        EXPECT_TRUE(list->rect().contains(QRect(row->mapTo(list, QPoint()), row->size())));
        if (page) {
            const QWidget *shown = page->viewport();
            EXPECT_TRUE(shown->rect().contains(QRect(row->mapTo(shown, QPoint()), row->size())));
        }
    }
}

} // namespace
} // namespace tc::test
