// The picker's Library tab: the category column, the cards, choosing and previewing, and the empty state.

#include "SoundPickerFixture.h"
#include "ui/kit/PlayButton.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerSoundCard.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;

namespace {

std::vector<std::string> shownIDs(const PickerLibraryPane &pane) {
    std::vector<std::string> ids;
    for (const auto *card : pane.cards()) {
        ids.push_back(card->sound().id);
    }
    return ids;
}

std::vector<std::string> ringed(const PickerLibraryPane &pane) {
    std::vector<std::string> ids;
    for (const auto *card : pane.cards()) {
        if (card->isRinged()) {
            ids.push_back(card->sound().id);
        }
    }
    return ids;
}

PickerSoundCard *card(const PickerLibraryPane &pane, const std::string &id) {
    for (auto *shown : pane.cards()) {
        if (shown->sound().id == id) {
            return shown;
        }
    }
    return nullptr;
}

} // namespace

TEST(SoundPickerLibrary, EveryCategoryIsListedWithItsCountAndShowsItsSoundsInCatalogueOrder) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    auto &pane = *sheet.libraryPane();

    struct Case {
        SoundCategory category;
        int count;
        std::vector<std::string> ids;
    };
    const Case cases[] = {
        {SoundCategory::mechanical, 2, {"synth.cream", "synth.blue"}},
        {SoundCategory::memes, 1, {"synth.boing"}},
        {SoundCategory::animals, 2, {"synth.meow", "rec.bark"}},
        {SoundCategory::retro, 1, {"synth.coin"}},
        {SoundCategory::everyday, 1, {"rec.bell"}},
        {SoundCategory::mine, 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(categoryTitle(c.category).toStdString());
        EXPECT_EQ(pane.categoryButton(c.category)->text(), categoryTitle(c.category));
        EXPECT_EQ(pane.shownCount(c.category), c.count);
        QTest::mouseClick(pane.categoryButton(c.category), Qt::LeftButton);
        EXPECT_EQ(sheet.state().category(), c.category);
        EXPECT_EQ(shownIDs(pane), c.ids);
        EXPECT_EQ(pane.emptyState()->isVisibleTo(&pane), c.ids.empty());
        EXPECT_EQ(sheet.state().chosen(), std::nullopt); // showing a category chooses nothing
    }

    // A sound added while the sheet is open shows at once, with its count.
    const SoundItem clap = model.importSound("/sounds/Clap.wav");
    EXPECT_EQ(pane.shownCount(SoundCategory::mine), 1);
    EXPECT_EQ(shownIDs(pane), std::vector<std::string>{clap.id});
    EXPECT_FALSE(pane.emptyState()->isVisibleTo(&pane));
}

TEST(SoundPickerLibrary, ACardClickChoosesAndPreviewsWhileThePlayButtonOnlyPreviews) {
    PickerFixture f;
    AppModel &model = f.start();
    model.resetKeys({0});
    model.assign("synth.meow", {0});
    auto &sheet = f.open(SoundPickerTarget::keys({0}));
    auto &pane = *sheet.libraryPane();
    ASSERT_EQ(sheet.state().category(), SoundCategory::animals);
    EXPECT_EQ(ringed(pane), std::vector<std::string>{"synth.meow"});

    // The play button of another card: heard, but the choice and the ring stay.
    QTest::mouseClick(card(pane, "rec.bark")->playButton(), Qt::LeftButton, {}, QPoint(14, 14));
    ASSERT_EQ(f.harness.audio.plays.size(), 1u);
    EXPECT_EQ(f.harness.library.lookup.describe(f.harness.audio.plays[0].buffer), "rec.bark/down");
    EXPECT_EQ(sheet.state().chosen(), "synth.meow");
    EXPECT_EQ(ringed(pane), std::vector<std::string>{"synth.meow"});
    EXPECT_EQ(sheet.footerName(), "Meow");

    // A card in another category: chosen, ringed, heard, and in the footer; the category stays as shown.
    QTest::mouseClick(pane.categoryButton(SoundCategory::retro), Qt::LeftButton);
    QTest::mouseClick(card(pane, "synth.coin"), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(sheet.state().chosen(), "synth.coin");
    EXPECT_EQ(sheet.state().category(), SoundCategory::retro);
    EXPECT_EQ(ringed(pane), std::vector<std::string>{"synth.coin"});
    ASSERT_EQ(f.harness.audio.plays.size(), 2u);
    EXPECT_EQ(f.harness.library.lookup.describe(f.harness.audio.plays[1].buffer), "synth.coin/down");
    EXPECT_EQ(sheet.footerName(), "Coin");

    // Back in Animals no card is ringed any more.
    QTest::mouseClick(pane.categoryButton(SoundCategory::animals), Qt::LeftButton);
    EXPECT_TRUE(ringed(pane).empty());
}

TEST(SoundPickerLibrary, ASoundNotLoadedYetCanBeChosenButPlaysNothing) {
    PickerFixture f;
    AppModel &model = f.start();
    const SoundItem late = model.importSound("/sounds/Late.wav");
    f.harness.library.lookup.remove(late.id);
    auto &sheet = f.open(SoundPickerTarget::brush());
    sheet.state().setCategory(SoundCategory::mine);
    QTest::mouseClick(card(*sheet.libraryPane(), late.id), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(sheet.state().chosen(), late.id);
    EXPECT_TRUE(sheet.useButton()->isEnabled());
    EXPECT_TRUE(f.harness.audio.plays.empty());
}

TEST(SoundPickerLibrary, TheEmptyStateLeadsToRecordingAndImporting) {
    PickerFixture f;
    f.start();
    for (const auto &[useRecord, tab] :
         {std::pair{true, SoundPickerTab::record}, std::pair{false, SoundPickerTab::importFile}}) {
        auto &sheet = f.open(SoundPickerTarget::keys({}));
        auto &pane = *sheet.libraryPane();
        sheet.state().setCategory(SoundCategory::mine);
        relayout();
        ASSERT_TRUE(pane.emptyState()->isVisibleTo(&pane));
        EXPECT_EQ(sheet.footerMessage(), "Choose a sound to continue");
        QTest::mouseClick(useRecord ? pane.emptyRecordButton() : pane.emptyImportButton(), Qt::LeftButton);
        EXPECT_EQ(sheet.state().tab(), tab);
    }
}
