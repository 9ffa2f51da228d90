// The sound picker sheet: what it opens on for each target, what "Use this sound" does to each target, and
// the keys that close it.

#include "SoundPickerFixture.h"
#include "model/KeyCodes.h"
#include "support/Wait.h"
#include "ui/kit/FittingText.h"
#include "ui/shell/MainWindow.h"
#include "ui/sounds/PickerImportPane.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerRecordPane.h"
#include "ui/sounds/PickerTabBar.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace tc;
using namespace tc::test;

namespace {

constexpr std::uint16_t kA = 0;
constexpr std::uint16_t kS = 1;
constexpr std::uint16_t kD = 2;
constexpr std::uint16_t kSpace = 49;

QString profileName(const AppModel &model) {
    return QString::fromStdString(model.data().activeProfile().name);
}

std::optional<std::string> soundOf(const AppModel &model, std::uint16_t code) {
    const auto assignment = model.data().activeProfile().assignment(code);
    return assignment ? std::optional(assignment->soundID) : std::nullopt;
}

const Trigger &triggerAt(const AppModel &model, std::size_t index) {
    return model.data().triggers.at(index);
}

} // namespace

TEST(SoundPickerSheet, OpensOnTheTargetsOwnSoundInItsCategoryWithTitleAndSubtitle) {
    PickerFixture f;
    AppModel &model = f.start();
    model.resetKeys({kA, kS, kD, kSpace, 200});
    model.assign("rec.bark", {kSpace});
    model.assign("synth.coin", {kD});
    const Uuid trigger = model.addTrigger(Trigger::Kind::word("hi"), "rec.bell");
    const QString profile = profileName(model);

    struct Case {
        const char *name;
        SoundPickerTarget target;
        QString title;
        QString subtitle;
        std::optional<std::string> chosen;
        SoundCategory category;
    };
    const Case cases[] = {
        {"brush", SoundPickerTarget::brush(), "Pick a sound", "Paint it onto any keys you like", "synth.meow",
         SoundCategory::animals},
        {"one key", SoundPickerTarget::keys({kSpace}), "Replace sound", "For the Space key in " + profile, "rec.bark",
         SoundCategory::animals},
        {"a key off the layout", SoundPickerTarget::keys({200}), "Replace sound", "For the key 200 key in " + profile,
         std::nullopt, SoundCategory::memes},
        // The lowest code with a sound of its own decides, whatever else the set holds.
        {"several keys", SoundPickerTarget::keys({kSpace, kA, kD}), "Replace sound", "For 3 keys in " + profile,
         "synth.coin", SoundCategory::retro},
        {"keys without sounds", SoundPickerTarget::keys({kA, kS}), "Replace sound", "For 2 keys in " + profile,
         std::nullopt, SoundCategory::memes},
        {"no keys", SoundPickerTarget::keys({}), "Replace sound", "For 0 keys in " + profile, std::nullopt,
         SoundCategory::memes},
        {"trigger", SoundPickerTarget::trigger(trigger), "Replace sound", "For this trigger", "rec.bell",
         SoundCategory::everyday},
        {"trigger that is gone", SoundPickerTarget::trigger(Uuid::random()), "Replace sound", "For this trigger",
         std::nullopt, SoundCategory::memes},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SoundPickerSheet::title(c.target), c.title);
        EXPECT_EQ(SoundPickerSheet::targetDescription(c.target, model), c.subtitle);
        auto &sheet = f.open(c.target);
        EXPECT_EQ(sheet.windowTitle(), c.title);
        EXPECT_EQ(sheet.state().chosen(), c.chosen);
        EXPECT_EQ(sheet.state().category(), c.category);
        EXPECT_EQ(sheet.state().tab(), SoundPickerTab::library);
        EXPECT_EQ(sheet.useButton()->isEnabled(), c.chosen.has_value());
        if (c.chosen) {
            const auto sound = model.sound(*c.chosen);
            EXPECT_EQ(sheet.footerName(), QString::fromStdString(sound->name));
            EXPECT_EQ(sheet.footerDetail(), SoundPickerSheet::detailText(*sound));
            EXPECT_EQ(sheet.footerMessage(), QString());
        } else {
            EXPECT_EQ(sheet.footerName(), QString());
            EXPECT_EQ(sheet.footerMessage(), "Choose a sound to continue");
        }
    }
}

TEST(SoundPickerSheet, TheFooterGivesCategoryAndLengthAndTheBuiltInsLoadedLength) {
    SoundItem meme{"rec.x", "X", SoundCategory::memes, std::nullopt, 0.42};
    EXPECT_EQ(SoundPickerSheet::detailText(meme), "Memes · 0.42 s");
    SoundItem mine{"user.x", "Y", SoundCategory::mine, "y.wav", 1.0};
    EXPECT_EQ(SoundPickerSheet::detailText(mine), "My sounds · 1.00 s");

    // A built-in reports the length it was loaded with, not the catalogue's 0.
    PickerFixture f;
    AppModel &model = f.start();
    f.harness.library.lookup.add(
        std::make_shared<const LoadedSound>(SoundItem{"synth.boing", "Boing", SoundCategory::memes, std::nullopt, 0.27},
                                            LoadedSound::Takes{}, std::vector<float>{}));
    model.setBrushSoundID("synth.boing");
    auto &sheet = f.open(SoundPickerTarget::brush());
    EXPECT_EQ(sheet.footerDetail(), "Memes · 0.27 s");
}

TEST(SoundPickerSheet, TheRecordFlagOpensTheRecordTabOnce) {
    PickerFixture f;
    AppModel &model = f.start();
    model.setPickerStartsOnRecord(true);
    EXPECT_EQ(f.open(SoundPickerTarget::keys({kA})).state().tab(), SoundPickerTab::record);
    EXPECT_FALSE(model.pickerStartsOnRecord());
    EXPECT_EQ(f.open(SoundPickerTarget::keys({kA})).state().tab(), SoundPickerTab::library);
}

TEST(SoundPickerSheet, UseThisSoundAppliesByTargetPreviewsAndCloses) {
    struct Case {
        const char *name;
        std::function<SoundPickerTarget(AppModel &)> target;
        EditTool toolBefore;
        std::function<void(const AppModel &)> check;
    };
    const Case cases[] = {
        {"keys",
         [](AppModel &) {
             return SoundPickerTarget::keys({kA, kSpace});
         },
         EditTool::select,
         [](const AppModel &m) {
             EXPECT_EQ(soundOf(m, kA), "synth.coin");
             EXPECT_EQ(soundOf(m, kSpace), "synth.coin");
             EXPECT_EQ(soundOf(m, kS), std::nullopt);
             EXPECT_EQ(m.tool(), EditTool::select);
         }},
        {"brush while selecting", [](AppModel &) { return SoundPickerTarget::brush(); }, EditTool::select,
         [](const AppModel &m) {
             EXPECT_EQ(m.brushSoundID(), "synth.coin");
             EXPECT_EQ(m.tool(), EditTool::paint);
         }},
        {"brush while testing", [](AppModel &) { return SoundPickerTarget::brush(); }, EditTool::test,
         [](const AppModel &m) { EXPECT_EQ(m.tool(), EditTool::paint); }},
        {"trigger",
         [](AppModel &m) {
             m.addTrigger(Trigger::Kind::word("one"), "rec.bell");
             const Uuid id = m.addTrigger(Trigger::Kind::word("two"), "rec.bell");
             m.addTrigger(Trigger::Kind::word("three"), "rec.bell");
             return SoundPickerTarget::trigger(id);
         },
         EditTool::select,
         [](const AppModel &m) {
             const auto &triggers = m.data().triggers;
             ASSERT_GE(triggers.size(), 3u);
             const std::size_t last = triggers.size() - 1;
             EXPECT_EQ(triggerAt(m, last - 2).soundID, "rec.bell");
             EXPECT_EQ(triggerAt(m, last - 1).soundID, "synth.coin");
             EXPECT_EQ(triggerAt(m, last).soundID, "rec.bell");
             EXPECT_EQ(m.tool(), EditTool::select);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PickerFixture f;
        AppModel &model = f.start();
        model.resetKeys({kA, kS, kSpace});
        model.setTool(c.toolBefore);
        model.setSetting(&AppSettings::masterVolume, 0.1);
        auto &sheet = f.open(c.target(model));
        sheet.state().setChosen("synth.coin");
        const auto coachBefore = model.data().settings.coachStep;
        const auto writesBefore = f.harness.writeCount();
        QSignalSpy finished(&sheet, &QDialog::finished);

        QTest::mouseClick(sheet.useButton(), Qt::LeftButton);

        c.check(model);
        // Keys and the brush move the coach on; a trigger does not.
        const bool coaches = !sheet.target().asTrigger();
        EXPECT_EQ(model.data().settings.coachStep, coaches ? std::max<std::int64_t>(coachBefore, 3) : coachBefore);
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
        // One preview of the chosen sound's key-down take, audible although the master volume is low.
        ASSERT_EQ(f.harness.audio.plays.size(), 1u);
        EXPECT_EQ(f.harness.library.lookup.describe(f.harness.audio.plays[0].buffer), "synth.coin/down");
        EXPECT_FLOAT_EQ(f.harness.audio.plays[0].volume, 0.4f);
        EXPECT_EQ(f.harness.audio.plays[0].rate, 1.0f);
        EXPECT_EQ(f.harness.audio.plays[0].pan, 0.0f);
        // The change reaches the disk.
        letSaveRun(f.harness);
        EXPECT_GT(f.harness.writeCount(), writesBefore);
    }
}

// Using a sound for a trigger deleted while the sheet was open changes no trigger, yet saves and pushes as
// always, previews the sound and closes the sheet.
TEST(SoundPickerSheet, ATriggerDeletedWhileTheSheetIsOpenChangesNothingButSavesPreviewsAndCloses) {
    PickerFixture f;
    AppModel &model = f.start();
    const Uuid id = model.addTrigger(Trigger::Kind::word("gone"), "rec.bell");
    const auto before = model.data().triggers;
    auto &sheet = f.open(SoundPickerTarget::trigger(id));
    model.deleteTrigger(id);
    letSaveRun(f.harness);
    const auto left = model.data().triggers;
    sheet.state().setChosen("synth.coin");
    QSignalSpy finished(&sheet, &QDialog::finished);
    const auto pushed = f.harness.router.config();
    const std::size_t writes = f.harness.writeCount();

    sheet.apply();

    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    ASSERT_EQ(f.harness.audio.plays.size(), 1u);
    EXPECT_EQ(model.data().triggers, left);
    EXPECT_EQ(left.size() + 1, before.size());
    EXPECT_NE(f.harness.router.config(), pushed);
    letSaveRun(f.harness);
    EXPECT_GT(f.harness.writeCount(), writes);
}

TEST(SoundPickerSheet, ReturnUsesTheSoundOnlyWhenOneIsChosenAndEscapeCancels) {
    struct Case {
        const char *name;
        Qt::Key key;
        std::optional<std::string> chosen;
        std::optional<int> result; // how the sheet closed; nothing: still open
        std::optional<std::string> soundAfter;
    };
    const Case cases[] = {
        {"Return with a sound", Qt::Key_Return, "synth.coin", QDialog::Accepted, "synth.coin"},
        {"Enter with a sound", Qt::Key_Enter, "synth.coin", QDialog::Accepted, "synth.coin"},
        {"Return with nothing chosen", Qt::Key_Return, std::nullopt, std::nullopt, std::nullopt},
        {"Return with an unknown sound", Qt::Key_Return, "user.gone", std::nullopt, std::nullopt},
        {"Escape with a sound", Qt::Key_Escape, "synth.coin", QDialog::Rejected, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PickerFixture f;
        AppModel &model = f.start();
        model.resetKeys({kA});
        auto &sheet = f.open(SoundPickerTarget::keys({kA}));
        sheet.state().setChosen(c.chosen);
        QSignalSpy finished(&sheet, &QDialog::finished);
        QTest::keyClick(&sheet, c.key);
        if (c.result) {
            ASSERT_EQ(finished.count(), 1);
            EXPECT_EQ(finished.at(0).at(0).toInt(), *c.result);
        } else {
            EXPECT_EQ(finished.count(), 0);
        }
        EXPECT_EQ(soundOf(model, kA), c.soundAfter);
        EXPECT_EQ(f.harness.audio.plays.size(), c.soundAfter ? 1u : 0u);
    }
}

TEST(SoundPickerSheet, CancelAndTheCloseButtonChangeNothing) {
    for (const bool viaClose : {false, true}) {
        SCOPED_TRACE(viaClose ? "close button" : "Cancel");
        PickerFixture f;
        AppModel &model = f.start();
        auto &sheet = f.open(SoundPickerTarget::brush());
        sheet.state().setChosen("synth.coin");
        const auto edits = f.watchEdits();
        QSignalSpy finished(&sheet, &QDialog::finished);
        QTest::mouseClick(viaClose ? sheet.closeButton() : sheet.cancelButton(), Qt::LeftButton);
        ASSERT_EQ(finished.count(), 1);
        EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
        EXPECT_TRUE(edits->seen.empty());
        EXPECT_EQ(model.brushSoundID(), "synth.meow");
        EXPECT_TRUE(f.harness.audio.plays.empty());
    }
}

TEST(SoundPickerSheet, TheTabSwitcherShowsEachPane) {
    PickerFixture f;
    f.start();
    auto &sheet = f.open(SoundPickerTarget::brush());
    sheet.show();
    const std::pair<SoundPickerTab, QWidget *> panes[] = {
        {SoundPickerTab::record, static_cast<QWidget *>(sheet.recordPane())},
        {SoundPickerTab::importFile, static_cast<QWidget *>(sheet.importPane())},
        {SoundPickerTab::library, static_cast<QWidget *>(sheet.libraryPane())},
    };
    for (const auto &[tab, pane] : panes) {
        QTest::mouseClick(sheet.tabBar()->button(tab), Qt::LeftButton);
        EXPECT_EQ(sheet.state().tab(), tab);
        EXPECT_TRUE(pane->isVisible());
    }
    EXPECT_EQ(soundPickerTabFromString("Import"), SoundPickerTab::importFile);
    EXPECT_EQ(soundPickerTabFromString("import"), std::nullopt);
}

TEST(SoundPickerSheet, TheMainWindowShowsThePickerForTheModelsTargetAndUsingASoundClosesIt) {
    PickerFixture f;
    AppModel &model = f.start();
    model.setPickerStartsOnRecord(true);
    MainWindow window(model);
    model.setSoundPicker(SoundPickerTarget::brush());
    auto *sheet = dynamic_cast<SoundPickerSheet *>(window.soundPickerSheet());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->target(), SoundPickerTarget::brush());
    EXPECT_EQ(sheet->state().tab(), SoundPickerTab::record);

    // The window's picker records through the model's microphone, here none at all. The take opens its stream
    // off the main thread; the answer lands there afterwards.
    QTest::mouseClick(sheet->recordPane()->recordButton(), Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] {
        f.harness.time.runPosted();
        return sheet->recordPane()->status() == "The microphone isn't available right now.";
    })) << sheet->recordPane()->status().toStdString();

    sheet->state().setChosen("synth.coin");
    QTest::mouseClick(sheet->useButton(), Qt::LeftButton);
    EXPECT_EQ(window.soundPickerSheet(), nullptr);
    EXPECT_FALSE(model.soundPicker());
    EXPECT_EQ(model.brushSoundID(), "synth.coin");
    flushDeletes();
}

// A chosen sound's name takes the footer's room up to "Cancel", whatever was chosen before it.
TEST(SoundPickerSheet, TheFootersNameUsesTheRoomBeforeCancel) {
    PickerFixture f;
    AppModel &model = f.start();
    const SoundItem shortName = model.importSound("/in/Short name.wav");
    std::string longName = "Long";
    while (longName.size() < 10000) {
        longName += " lorem ipsum";
    }
    const SoundItem longItem = model.importSound("/in/" + longName.substr(0, 200) + ".wav");
    model.renameSound(longItem.id, longName);
    SoundPickerSheet &sheet = f.open(SoundPickerTarget::brush());
    for (const SoundItem &sound : {shortName, longItem}) {
        sheet.state().setChosen(sound.id);
        relayout();
    }
    FittingText *name = nullptr;
    for (FittingText *text : sheet.findChildren<FittingText *>()) {
        if (text->isVisibleTo(&sheet) && text->text() == sheet.footerName()) {
            name = text;
        }
    }
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(name->currentFit().elided);
    const int end = name->mapTo(&sheet, QPoint(name->width(), 0)).x();
    EXPECT_GE(end, sheet.cancelButton()->mapTo(&sheet, QPoint()).x() - 12 - 2);
}
