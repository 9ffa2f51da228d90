// The picker's Import tab: importing a chosen or dropped file, its errors, and the drop zone's highlight.

#include "SoundPickerFixture.h"
#include "ui/FocusWalk.h"
#include "ui/sounds/PickerImportPane.h"
#include "ui/sounds/SoundFilePanels.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;

namespace {

QMimeData *filesData(const QStringList &paths) {
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const auto &path : paths) {
        urls.push_back(path.startsWith("http") ? QUrl(path) : QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

// Drags `paths` over the zone and drops them; returns whether the drop was accepted.
bool drop(PickerImportPane &pane, const QStringList &paths) {
    std::unique_ptr<QMimeData> data(filesData(paths));
    QWidget *zone = pane.dropZone();
    const QPoint at = zone->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(zone, &dropped);
    return dropped.isAccepted();
}

} // namespace

// The picker's "Choose file…" and the Sounds screen's Import offer the same audio files, from the home folder.
TEST(SoundPickerImport, TheOpenPanelStartsAtHomeWithTheImportsAudioPatterns) {
    shellApp();
    const auto panel = PickerImportPane::makeOpenPanel(nullptr);
    EXPECT_EQ(QDir(panel->directory()).canonicalPath(), QDir::home().canonicalPath());
    ASSERT_EQ(panel->nameFilters().size(), 1);
    const QString offered = panel->nameFilters().constFirst();
    for (const QString &pattern : SoundFilePanels::audioPatterns()) {
        EXPECT_TRUE(offered.contains(pattern + QLatin1Char(' ')) || offered.contains(pattern + QLatin1Char(')')))
            << pattern.toStdString();
    }
    EXPECT_TRUE(offered.contains("*.webm"));
    EXPECT_TRUE(offered.contains("*.mka"));
}

TEST(SoundPickerImport, AnImportedFileIsChosenShownUnderMySoundsAndPlayedOnce) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    sheet.state().setTab(SoundPickerTab::importFile);
    auto &pane = *sheet.importPane();

    pane.setChooser([](QWidget *) { return std::filesystem::path("/sounds/Door knock.wav"); });
    QTest::mouseClick(pane.chooseButton(), Qt::LeftButton);
    EXPECT_TRUE(pane.importing());
    EXPECT_FALSE(pane.chooseButton()->isEnabled());
    EXPECT_EQ(pane.chooseButton()->text(), QStringLiteral("Importing\u2026"));
    ASSERT_TRUE(f.harness.finishWork());

    EXPECT_TRUE(pane.chooseButton()->isEnabled());
    EXPECT_EQ(pane.chooseButton()->text(), QStringLiteral("Choose file\u2026"));
    ASSERT_EQ(model.data().userSounds.size(), 1u);
    const SoundItem &item = model.data().userSounds[0];
    EXPECT_EQ(item.name, "Door knock");
    EXPECT_EQ(sheet.state().chosen(), item.id);
    EXPECT_EQ(sheet.state().category(), SoundCategory::mine);
    EXPECT_EQ(sheet.state().tab(), SoundPickerTab::importFile);
    EXPECT_TRUE(sheet.useButton()->isEnabled());
    EXPECT_EQ(sheet.footerName(), "Door knock");
    ASSERT_EQ(f.harness.audio.plays.size(), 1u);
    EXPECT_EQ(f.harness.library.lookup.describe(f.harness.audio.plays[0].buffer), item.id + "/down");
}

TEST(SoundPickerImport, AFailedImportShowsTheLibrarysMessageUntilALaterOneSucceeds) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::brush());
    sheet.state().setTab(SoundPickerTab::importFile);
    auto &pane = *sheet.importPane();
    const QString message = "This file isn't an audio format Tapchime can read.";
    EXPECT_FALSE(pane.errorLabel()->isVisibleTo(&pane));

    pane.importFile("/packs/bad pack.tapchime");
    ASSERT_TRUE(f.harness.finishWork());
    EXPECT_EQ(pane.errorLabel()->text(), message);
    EXPECT_TRUE(pane.errorLabel()->isVisibleTo(&pane));
    EXPECT_EQ(sheet.state().errorText(), message);
    // The brush's sound stays chosen, so the footer keeps showing it rather than the error.
    EXPECT_EQ(sheet.state().chosen(), "synth.meow");
    EXPECT_EQ(sheet.state().category(), SoundCategory::animals);
    EXPECT_EQ(sheet.footerName(), "Meow");
    EXPECT_TRUE(model.data().userSounds.empty());
    EXPECT_TRUE(f.harness.audio.plays.empty());

    // A cancelled panel changes nothing, not even the message.
    pane.setChooser([](QWidget *) { return std::nullopt; });
    pane.chooseFile();
    EXPECT_EQ(sheet.state().errorText(), message);
    EXPECT_EQ(sheet.state().chosen(), "synth.meow");

    pane.importFile("/sounds/Clap.wav");
    ASSERT_TRUE(f.harness.finishWork());
    EXPECT_EQ(sheet.state().errorText(), std::nullopt);
    EXPECT_FALSE(pane.errorLabel()->isVisibleTo(&pane));
    EXPECT_EQ(sheet.footerName(), "Clap");
}

TEST(SoundPickerImport, TheErrorShowsInTheFooterWhileNothingIsChosen) {
    PickerFixture f;
    f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    sheet.importPane()->importFile("/sounds/bad.mp3");
    ASSERT_TRUE(f.harness.finishWork());
    EXPECT_EQ(sheet.footerMessage(), "This file isn't an audio format Tapchime can read.");
}

TEST(SoundPickerImport, ADropImportsOnlyTheFirstFile) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    sheet.state().setTab(SoundPickerTab::importFile);
    EXPECT_TRUE(drop(*sheet.importPane(), {"/sounds/First.wav", "/sounds/Second.wav", "/sounds/Third.wav"}));
    ASSERT_TRUE(f.harness.finishWork());
    ASSERT_EQ(model.data().userSounds.size(), 1u);
    EXPECT_EQ(model.data().userSounds[0].name, "First");
    EXPECT_EQ(sheet.state().chosen(), model.data().userSounds[0].id);
    EXPECT_FALSE(sheet.state().dropTargeted());
}

TEST(SoundPickerImport, ADropWithoutALocalFileIsRefused) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    EXPECT_FALSE(drop(*sheet.importPane(), {"https://example.com/a.wav"}));
    ASSERT_TRUE(f.harness.finishWork());
    EXPECT_TRUE(model.data().userSounds.empty());
    EXPECT_EQ(PickerImportPane::droppedFile({}), std::nullopt);
}

TEST(SoundPickerImport, AFileHoveringTheZoneHighlightsItUntilItLeaves) {
    PickerFixture f;
    f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    auto &pane = *sheet.importPane();
    std::unique_ptr<QMimeData> data(filesData({"/sounds/a.wav"}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pane.dropZone(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(sheet.state().dropTargeted());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(pane.dropZone(), &leave);
    EXPECT_FALSE(sheet.state().dropTargeted());
}

TEST(SoundPickerImport, ASheetClosedWhileItsFileIsReadShowsNothingAndTheSoundComesInOnce) {
    struct Case {
        const char *what;
        bool destroy; // the sheet is deleted, not only closed
    };
    for (const Case c : {Case{"closed", false}, Case{"deleted", true}}) {
        SCOPED_TRACE(c.what);
        PickerFixture f;
        AppModel &model = f.start();
        auto &sheet = f.open(SoundPickerTarget::brush());
        sheet.state().setTab(SoundPickerTab::importFile);
        sheet.importPane()->importFile("/sounds/Late.wav");
        const auto edits = f.watchEdits();
        sheet.reject();
        if (c.destroy) {
            f.sheet.reset();
            flushDeletes();
        }
        ASSERT_TRUE(f.harness.finishWork());

        ASSERT_EQ(model.data().userSounds.size(), 1u);
        EXPECT_EQ(model.data().userSounds[0].name, "Late");
        EXPECT_EQ(edits->seen.size(), 1u); // committed once
        EXPECT_TRUE(f.harness.audio.plays.empty());
        EXPECT_EQ(model.brushSoundID(), AppModel::kDefaultBrushSoundID);
        if (!c.destroy) {
            EXPECT_EQ(sheet.state().chosen(), "synth.meow");
            EXPECT_FALSE(sheet.importPane()->importing());
        }
    }
}

TEST(SoundPickerImport, AFileTakenWhileAnotherIsReadIsTheOneChosenAndBothComeIn) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    auto &pane = *sheet.importPane();
    pane.importFile("/sounds/First.wav");
    EXPECT_TRUE(drop(pane, {"/sounds/Second.wav"}));
    ASSERT_TRUE(f.harness.finishWork());

    ASSERT_EQ(model.data().userSounds.size(), 2u);
    EXPECT_EQ(sheet.state().chosen(), model.data().userSounds[1].id);
    EXPECT_EQ(sheet.footerName(), "Second");
    ASSERT_EQ(f.harness.audio.plays.size(), 1u); // only the chosen one is played
    EXPECT_TRUE(pane.chooseButton()->isEnabled());
}

// "Choose file…" by keyboard: while the file is read the focus waits on the sheet (Return there throws nothing
// away), then goes to "Use this sound", where Return uses the file; a file that fails gives it back to
// "Choose file…".
TEST(SoundPickerImport, AKeyboardImportHandsTheFocusToUseThisSoundNeverToCancel) {
    for (const bool succeeds : {true, false}) {
        PickerFixture f;
        AppModel &model = f.start();
        auto &sheet = f.open(SoundPickerTarget::keys({0}));
        ASSERT_TRUE(activate(&sheet));
        sheet.state().setTab(SoundPickerTab::importFile);
        auto &pane = *sheet.importPane();
        pane.setChooser([succeeds](QWidget *) {
            return std::filesystem::path(succeeds ? "/sounds/Door knock.wav" : "/packs/bad pack.tapchime");
        });
        pane.chooseButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pane.chooseButton(), Qt::Key_Return);
        ASSERT_TRUE(pane.importing());
        EXPECT_NE(QApplication::focusWidget(), sheet.cancelButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(sheet.isVisible());
        ASSERT_TRUE(f.harness.finishWork());
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), succeeds ? sheet.useButton() : pane.chooseButton()) << succeeds;
        if (succeeds) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_EQ(sheet.result(), QDialog::Accepted);
            ASSERT_TRUE(model.data().activeProfile().assignment(0));
            EXPECT_EQ(model.data().activeProfile().assignment(0)->soundID, model.data().userSounds.at(0).id);
        }
    }
}
