// The header's chips and the tray panel's cells with a big document: only the profiles in view get widgets,
// each follows its own profile in place, and Tab still reaches every profile.

#include "ui/ProfileLists.h"
#include "app/Motion.h"
#include "ui/FocusWalk.h"
#include "ui/ModelStates.h"
#include "ui/shell/MenuBarParts.h"
#include "ui/shell/MenuBarView.h"
#include "ui/shell/ProfileSwitcher.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// The switcher as the header holds it, in a window narrower than its 300 chips.
struct SwitcherWindow {
    QWidget window;
    ProfileSwitcher *switcher;
    explicit SwitcherWindow(AppModel &model) {
        auto *row = new QHBoxLayout(&window);
        switcher = new ProfileSwitcher(model, &window);
        row->addWidget(switcher);
        window.resize(900, 60);
    }
    ProfileList list() const {
        return {[this] {
                    std::vector<std::pair<QWidget *, Uuid>> made;
                    for (ProfileChip *chip : switcher->chips()) {
                        made.emplace_back(chip, chip->profileID());
                    }
                    return made;
                },
                [](QWidget *widget) { return static_cast<ProfileChip *>(widget)->isActive(); },
                [](QWidget *widget) -> std::optional<QString> { return static_cast<ProfileChip *>(widget)->text(); },
                [](QWidget *widget) { return widget; }, 20};
    }
};

ProfileList cellList(const MenuBarView &view) {
    return {[&view] {
                std::vector<std::pair<QWidget *, Uuid>> made;
                for (ProfileCell *cell : view.profileCells()) {
                    made.emplace_back(cell, cell->profileID());
                }
                return made;
            },
            [](QWidget *widget) { return static_cast<ProfileCell *>(widget)->isActive(); },
            [](QWidget *widget) -> std::optional<QString> { return static_cast<ProfileCell *>(widget)->name(); },
            [](QWidget *widget) { return widget; },
            // Four rows show, and a row either side is made ahead.
            2 * (MenuBarView::kVisibleProfileRows + 2)};
}

TEST(ProfileLists, TheSwitcherMakesChipsForItsViewAndFollowsEachProfileInPlace) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 300);
    SwitcherWindow w(model);
    ASSERT_TRUE(activate(&w.window));
    // The chips fit the window: the track scrolls instead of widening it.
    EXPECT_LE(w.switcher->width(), 900);
    EXPECT_LE(w.switcher->chipGroup()->width(), w.switcher->width());
    checkFollowsInPlace(w.list(), model);

    // A profile made active elsewhere (the tray panel, an app rule) scrolls its chip into the track's view.
    const Uuid far = model.data().profiles[200].id;
    model.setActiveProfile(far);
    const QWidget *chip = widgetOf(w.list(), far);
    ASSERT_NE(chip, nullptr);
    const QRect track = w.switcher->chipGroup()->rect();
    EXPECT_TRUE(track.contains(QRect(chip->mapTo(w.switcher->chipGroup(), QPoint(0, 0)), chip->geometry().size())));
    EXPECT_LE(w.list().made().size(), 20u);
}

TEST(ProfileLists, TheTrayPanelMakesCellsForItsViewAndFollowsEachProfileInPlace) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 300);
    MenuBarView view(model, {});
    ASSERT_TRUE(activate(&view));
    checkFollowsInPlace(cellList(view), model);
    // The active profile's key count follows its keys.
    model.setActiveProfile(model.data().profiles[3].id);
    ProfileCell *cell = view.profileCells()[3];
    ASSERT_EQ(cell->profileID(), model.data().profiles[3].id);
    const QString before = cell->keysText();
    model.assign("synth.meow", {0});
    EXPECT_NE(cell->keysText(), before);
    EXPECT_EQ(view.profileCells()[3], cell);
}

// The cells sit where the grid layout the panel had put them: two columns of equal stretch, 8 apart.
TEST(ProfileLists, TheTrayPanelsCellsShareTheWidthAsAGridLayoutDoes) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 4);
    for (const int width : {279, 280, 281, 296, 297}) {
        QWidget reference;
        auto *grid = new QGridLayout(&reference);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setSpacing(ProfileCellGrid::kSpacing);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 1);
        std::vector<QWidget *> cells;
        for (int i = 0; i < 4; ++i) {
            cells.push_back(new QWidget(&reference));
            cells.back()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            cells.back()->setFixedHeight(ProfileCell::fixedHeight);
            grid->addWidget(cells.back(), i / 2, i % 2);
        }
        reference.resize(width, ProfileCellGrid::rowsHeight(2));
        grid->activate();

        ProfileCellGrid pool(model);
        pool.resize(width, ProfileCellGrid::rowsHeight(2));
        pool.show();
        const std::vector<ProfileCell *> made = pool.cells();
        ASSERT_EQ(made.size(), 4u) << width;
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(made[i]->geometry(), cells[i]->geometry()) << "width " << width << ", cell " << i;
        }
    }
}

TEST(ProfileLists, TabReachesEveryChipAndEveryCellOfABigDocument) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    makeProfiles(model, 300);
    {
        SwitcherWindow w(model);
        ASSERT_TRUE(activate(&w.window));
        checkTabReachesEveryProfile(w.list(), model, true);
        // On from the last chip to the more menu.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w.switcher->moreButton());
    }
    MenuBarView view(model, {});
    ASSERT_TRUE(activate(&view));
    checkTabReachesEveryProfile(cellList(view), model, true);
    const QScrollBar *bar = view.profileScroll()->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum()); // scrolled to the last cell
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
