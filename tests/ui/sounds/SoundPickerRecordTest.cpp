// The picker's Record tab on a microphone the test drives: what each state shows, the meter, a take becoming
// a sound of the user's own, a take that cannot be saved, and the record key's second click.

#include "SoundPickerFixture.h"
#include "app/GatedCatalog.h"
#include "ui/FocusWalk.h"
#include "ui/sounds/PickerLibraryPane.h"
#include "ui/sounds/PickerRecordPane.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

using namespace tc;
using namespace tc::test;
using Kind = Recorder::State::Kind;

namespace {

// Writes something where the take's file would be, as the platform recorder does when a take ends.
void writeTake(const std::filesystem::path &file) {
    QFile out(QString::fromStdString(file.string()));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("take");
}

void clickRecord(SoundPickerSheet &sheet) {
    QTest::mouseClick(sheet.recordPane()->recordButton(), Qt::LeftButton);
}

// Ends the newest take (its file written first) and delivers the report on the main thread.
void finishTake(PickerFixture &f, bool successfully) {
    auto &take = *f.microphone.takes.back();
    if (successfully) {
        writeTake(take.file);
    }
    take.finish(successfully);
    f.harness.time.runPosted();
    // A finished take is read on the model's worker; its result lands on the main thread.
    ASSERT_TRUE(f.harness.finishWork());
}

std::vector<SoundItem> userSounds(const AppModel &model) {
    return model.data().userSounds;
}

} // namespace

TEST(SoundPickerRecord, EachStateHasItsStatusAndHint) {
    const QString generic = "Short and punchy works best. Silence is trimmed for you.";
    struct Case {
        Recorder::State state;
        std::optional<QString> takeError;
        QString status;
        QString hint;
    };
    const Case cases[] = {
        {Recorder::State::of(Kind::idle), {}, "Ready to record", generic},
        {Recorder::State::of(Kind::needsPermission), {}, "Waiting for microphone access…", generic},
        {Recorder::State::of(Kind::denied), {}, "Microphone access is off", generic},
        {Recorder::State::of(Kind::recording), {}, "Recording", "Stops on its own after 3 seconds."},
        {Recorder::State::finished("/tmp/t.m4a"),
         {},
         "Saved to My sounds",
         "Press the button to record another, or use this one."},
        {Recorder::State::failed("Recording stopped unexpectedly."), {}, "Recording stopped unexpectedly.", generic},
        // A take the library refused was not saved, whatever the recorder says.
        {Recorder::State::finished("/tmp/t.m4a"), QString("This file is silent."), "This file is silent.", generic},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PickerRecordPane::statusText(c.state, c.takeError), c.status);
        EXPECT_EQ(PickerRecordPane::hintText(c.state, !c.takeError), c.hint);
    }
}

TEST(SoundPickerRecord, TheMeterShowsTheNewestSixtyLevelsAndTheTimeIsUnclamped) {
    std::vector<float> levels;
    for (int i = 1; i <= 100; ++i) {
        levels.push_back(static_cast<float>(i) / 100.0f);
    }
    struct Case {
        std::size_t count;
        float first;
        float last; // bar 59
    };
    const Case cases[] = {{0, 0.0f, 0.0f}, {30, 0.01f, 0.0f}, {60, 0.01f, 0.60f}, {100, 0.41f, 1.0f}};
    for (const auto &c : cases) {
        const auto bars = PickerRecordPane::meterLevels({levels.begin(), levels.begin() + c.count});
        EXPECT_FLOAT_EQ(bars[0], c.first) << c.count;
        EXPECT_FLOAT_EQ(bars[59], c.last) << c.count;
    }
    EXPECT_EQ(PickerRecordPane::barHeight(0.0f), 4.0);
    EXPECT_EQ(PickerRecordPane::barHeight(0.01f), 4.0);
    EXPECT_NEAR(PickerRecordPane::barHeight(0.5f), 43.0, 1e-9);
    EXPECT_NEAR(PickerRecordPane::barHeight(1.0f), 86.0, 1e-9);
    EXPECT_EQ(PickerRecordPane::elapsedText(0), "00:00.00");
    EXPECT_EQ(PickerRecordPane::elapsedText(1.27), "00:01.27");
    EXPECT_EQ(PickerRecordPane::elapsedText(3.04), "00:03.04");
    EXPECT_EQ(PickerRecordPane::progress(1.5), 0.5);
    EXPECT_EQ(PickerRecordPane::progress(3.04), 1.0);
}

TEST(SoundPickerRecord, AFinishedTakeBecomesAUserSoundThatIsChosen) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({0}));
    sheet.state().setTab(SoundPickerTab::record);
    auto &pane = *sheet.recordPane();
    EXPECT_EQ(pane.status(), "Ready to record");
    EXPECT_EQ(pane.elapsed(), "00:00.00");
    EXPECT_EQ(pane.recordButton()->accessibleName(), "Start recording");

    clickRecord(sheet);
    ASSERT_EQ(f.microphone.takes.size(), 1u);
    EXPECT_EQ(f.microphone.takes[0]->maxSeconds, 3.0);
    EXPECT_EQ(pane.status(), "Recording");
    EXPECT_EQ(pane.recordButton()->accessibleName(), "Stop recording");
    f.microphone.takes[0]->powerDb = -25;
    f.microphone.takes[0]->time = 1.27;
    f.harness.time.advance(Recorder::kMeterInterval * 3);
    EXPECT_EQ(sheet.recorder().levels(), std::vector<float>(3, 0.5f));
    EXPECT_EQ(pane.elapsed(), "00:01.27");

    // The user leaves the tab; the take still ends and is saved.
    sheet.state().setTab(SoundPickerTab::library);
    const auto file = f.microphone.takes[0]->file;
    finishTake(f, true);

    const auto sounds = userSounds(model);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].name, "Recording 1");
    EXPECT_EQ(sounds[0].category, SoundCategory::mine);
    EXPECT_EQ(sheet.state().chosen(), sounds[0].id);
    EXPECT_EQ(sheet.state().category(), SoundCategory::mine);
    EXPECT_EQ(sheet.state().tab(), SoundPickerTab::library);
    EXPECT_EQ(sheet.libraryPane()->cards().size(), 1u);
    EXPECT_EQ(pane.status(), "Saved to My sounds");
    EXPECT_EQ(pane.hint(), "Press the button to record another, or use this one.");
    EXPECT_EQ(sheet.footerName(), "Recording 1");
    EXPECT_FALSE(std::filesystem::exists(file)); // the model removed the take
    EXPECT_TRUE(f.harness.audio.plays.empty());  // a take is not played back by itself

    // "Use this sound" gives it to the key.
    QTest::mouseClick(sheet.useButton(), Qt::LeftButton);
    EXPECT_EQ(model.data().activeProfile().assignment(0)->soundID, sounds[0].id);
}

TEST(SoundPickerRecord, ATakeTheLibraryRefusesIsNotCalledSavedAndLeavesNoFile) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({}));
    sheet.state().setTab(SoundPickerTab::record);
    auto &pane = *sheet.recordPane();

    f.harness.library.importFailure = "This file is silent.";
    clickRecord(sheet);
    const auto file = f.microphone.takes.back()->file;
    finishTake(f, true);

    EXPECT_EQ(pane.status(), "This file is silent.");
    EXPECT_EQ(pane.hint(), "Short and punchy works best. Silence is trimmed for you.");
    EXPECT_EQ(sheet.state().errorText(), "This file is silent.");
    EXPECT_EQ(sheet.footerMessage(), "This file is silent.");
    EXPECT_FALSE(sheet.useButton()->isEnabled());
    EXPECT_TRUE(userSounds(model).empty());
    EXPECT_FALSE(std::filesystem::exists(file));

    // The next take is saved, and the old error goes.
    f.harness.library.importFailure.reset();
    clickRecord(sheet);
    EXPECT_EQ(pane.status(), "Recording");
    finishTake(f, true);
    EXPECT_EQ(pane.status(), "Saved to My sounds");
    EXPECT_EQ(sheet.state().errorText(), std::nullopt);
    ASSERT_EQ(userSounds(model).size(), 1u);
    EXPECT_EQ(sheet.footerName(), "Recording 1");
}

TEST(SoundPickerRecord, ATakeStillBeingReadWhenTheSheetClosesComesInOnceUnchosen) {
    PickerFixture f;
    // The take waits inside the library until the sheet is closed, however quick the worker is.
    GatedCatalog gated(f.harness.library);
    f.harness.catalog = &gated;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::brush());
    clickRecord(sheet);
    auto &take = *f.microphone.takes.back();
    writeTake(take.file);
    take.finish(true);
    f.harness.time.runPosted(); // the take is finished and handed to the model's worker
    gated.waitUntilEntered();
    EXPECT_EQ(sheet.recordPane()->status(), "Saved to My sounds");
    const auto edits = f.watchEdits();
    sheet.reject();
    gated.open();
    ASSERT_TRUE(f.harness.finishWork());

    ASSERT_EQ(userSounds(model).size(), 1u);
    EXPECT_EQ(userSounds(model)[0].name, "Recording 1");
    EXPECT_EQ(edits->seen.size(), 1u);
    EXPECT_EQ(sheet.state().chosen(), "synth.meow");
    EXPECT_EQ(model.brushSoundID(), AppModel::kDefaultBrushSoundID);
    EXPECT_FALSE(std::filesystem::exists(take.file));
}

TEST(SoundPickerRecord, ATakeThatBreaksOffSaysSoAndAddsNothing) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::brush());
    clickRecord(sheet);
    finishTake(f, false);
    EXPECT_EQ(sheet.recordPane()->status(), "Recording stopped unexpectedly.");
    EXPECT_TRUE(userSounds(model).empty());
    EXPECT_EQ(sheet.state().chosen(), "synth.meow");
}

TEST(SoundPickerRecord, MoreClicksWhileATakeStartsOrRunsNeverStartASecondTake) {
    PickerFixture f;
    f.start();
    f.microphone.status = RecordingBackend::Authorization::notDetermined;
    f.microphone.finishOnStop = false;
    auto &sheet = f.open(SoundPickerTarget::brush());
    auto &pane = *sheet.recordPane();

    clickRecord(sheet);
    clickRecord(sheet);
    EXPECT_EQ(pane.status(), "Waiting for microphone access…");
    EXPECT_EQ(f.microphone.accessRequests, 1);
    f.microphone.answer(true);
    f.harness.time.runPosted();
    ASSERT_EQ(f.microphone.takes.size(), 1u);
    EXPECT_EQ(pane.status(), "Recording");

    // While recording, the key stops the take early; it does not start another.
    clickRecord(sheet);
    clickRecord(sheet);
    EXPECT_EQ(f.microphone.takes.size(), 1u);
    EXPECT_EQ(f.microphone.takes[0]->stops, 2);
    EXPECT_EQ(f.microphone.liveTakes(), 1u);
}

TEST(SoundPickerRecord, ClosingTheSheetStopsATakeThatRuns) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::brush());
    const auto timers = f.harness.time.activeTimers();
    clickRecord(sheet);
    ASSERT_EQ(f.microphone.liveTakes(), 1u);
    EXPECT_EQ(f.harness.time.activeTimers(), timers + 1); // the meter
    QTest::mouseClick(sheet.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(f.microphone.liveTakes(), 0u);
    EXPECT_EQ(sheet.recorder().state(), Recorder::State::of(Kind::idle));
    EXPECT_TRUE(sheet.recorder().levels().empty());
    EXPECT_EQ(f.harness.time.activeTimers(), timers);
    EXPECT_TRUE(userSounds(model).empty());
}

TEST(SoundPickerRecord, ARefusedMicrophoneOffersTheSoundSettings) {
    PickerFixture f;
    f.start();
    f.microphone.startResult = RecordingTake::StartResult::refused;
    auto &sheet = f.open(SoundPickerTarget::brush());
    sheet.state().setTab(SoundPickerTab::record);
    auto &pane = *sheet.recordPane();
    EXPECT_FALSE(pane.settingsButton()->isVisible());

    clickRecord(sheet);
    EXPECT_EQ(pane.status(), "Microphone access is off");
    ASSERT_TRUE(pane.settingsButton()->isVisible());
    QTest::mouseClick(pane.settingsButton(), Qt::LeftButton);
    EXPECT_EQ(f.settingsOpened, 1);

    // Asked again, the server may allow it now.
    f.microphone.startResult = RecordingTake::StartResult::started;
    clickRecord(sheet);
    EXPECT_EQ(pane.status(), "Recording");
    EXPECT_FALSE(pane.settingsButton()->isVisible());
}

TEST(SoundPickerRecord, TheSoundSettingsAreTheFirstKnownProgramInstalled) {
    struct Case {
        std::set<QString> installed;
        QStringList command;
    };
    const Case cases[] = {
        {{}, {}},
        {{"pavucontrol"}, {"pavucontrol", "--tab=4"}},
        {{"pavucontrol", "gnome-control-center"}, {"gnome-control-center", "sound"}},
        {{"kcmshell5", "pavucontrol-qt"}, {"kcmshell5", "kcm_pulseaudio"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PickerRecordPane::soundSettingsCommand([&](const QString &p) { return c.installed.contains(p); }),
                  c.command);
    }
}

// A take recorded with the keyboard: the focus moves from the record key to "Use this sound", so Return uses
// the take rather than starting another.
TEST(SoundPickerRecord, ARecordedTakeHandsTheFocusToUseThisSound) {
    PickerFixture f;
    AppModel &model = f.start();
    auto &sheet = f.open(SoundPickerTarget::keys({0}));
    ASSERT_TRUE(activate(&sheet));
    sheet.state().setTab(SoundPickerTab::record);
    QAbstractButton *key = sheet.recordPane()->recordButton();
    key->setFocus(Qt::TabFocusReason);
    QTest::keyClick(key, Qt::Key_Space);
    ASSERT_EQ(f.microphone.takes.size(), 1u);
    finishTake(f, true);
    ASSERT_EQ(userSounds(model).size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), sheet.useButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(f.microphone.takes.size(), 1u);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_TRUE(model.data().activeProfile().assignment(0));
    EXPECT_EQ(model.data().activeProfile().assignment(0)->soundID, userSounds(model)[0].id);
}
