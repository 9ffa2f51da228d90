// Observers are told about real changes only, and about every change of the document.

#include "AppModelHarness.h"

#include "model/Json.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(Signals, SettersSignalOnlyRealChanges) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy section(&model, &AppModel::sectionChanged);
    QSignalSpy keys(&model, &AppModel::selectedKeysChanged);
    QSignalSpy tool(&model, &AppModel::toolChanged);
    QSignalSpy brush(&model, &AppModel::brushSoundIDChanged);
    QSignalSpy picker(&model, &AppModel::soundPickerChanged);
    QSignalSpy record(&model, &AppModel::pickerStartsOnRecordChanged);
    QSignalSpy onboarding(&model, &AppModel::showOnboardingChanged);
    DocumentSignals document(model);

    model.setSection(AppSection::keyboard); // already shown
    model.setSection(AppSection::sounds);
    model.setSection(AppSection::sounds);
    model.setSelectedKeys({49});
    model.setSelectedKeys({49, 12});
    model.setSelectedKeys({12, 49});
    model.setTool(EditTool::select);
    model.setTool(EditTool::paint);
    model.setBrushSoundID("synth.meow");
    model.setBrushSoundID("synth.coin");
    model.setSoundPicker(SoundPickerTarget::keys({49, 12}));
    model.setSoundPicker(SoundPickerTarget::keys({12, 49}));
    model.setSoundPicker(std::nullopt);
    model.setPickerStartsOnRecord(false);
    model.setPickerStartsOnRecord(true);
    model.setShowOnboarding(false);
    model.setShowOnboarding(true);

    EXPECT_EQ(section.count(), 1);
    EXPECT_EQ(keys.count(), 1);
    EXPECT_EQ(tool.count(), 1);
    EXPECT_EQ(brush.count(), 1);
    EXPECT_EQ(picker.count(), 2);
    EXPECT_EQ(record.count(), 1);
    EXPECT_EQ(onboarding.count(), 1);
    EXPECT_TRUE(document.seen.empty());
}

TEST(Signals, EveryEditOfTheDocumentSavesAndPushesButOnlyARealChangeSignals) {
    Harness harness;
    auto &model = harness.started();
    DocumentSignals changes(model);
    QSignalSpy silence(&model, &AppModel::silenceChanged);
    const auto before = harness.router.config();

    model.commitEdit([](AppData &) {});
    EXPECT_TRUE(changes.seen.empty());
    EXPECT_EQ(silence.count(), 0);
    EXPECT_NE(harness.router.config(), before); // a fresh configuration at once
    EXPECT_EQ(harness.writeCount(), 0u);        // the save waits for the debounce
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 1u);

    model.commitEdit([](AppData &document) { document.settings.enabled = false; });
    EXPECT_EQ(changes.seen, std::vector<std::string>{"settings"});
    EXPECT_EQ(silence.count(), 1);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::off);
    EXPECT_FALSE(harness.router.config()->enabled);
    harness.time.advance(AppModel::kSaveDelay);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 2u);
    EXPECT_FALSE(decodeAppData(harness.readDocument().toStdString()).settings.enabled);

    const Uuid first = model.data().profiles[0].id;
    model.renameProfile(first, "Renamed"); // one operation, one change
    EXPECT_EQ(changes.seen.size(), 2u);
    EXPECT_EQ(changes.seen.back(), "profiles " + first.toString());
    model.renameProfile(first, "   "); // refused: nothing changes
    EXPECT_EQ(changes.seen.size(), 2u);
}

TEST(Signals, LiveFieldsSignalOncePerChange) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy permission(&model, &AppModel::permissionGrantedChanged);
    QSignalSpy tap(&model, &AppModel::tapRunningChanged);
    QSignalSpy app(&model, &AppModel::currentAppBundleIDChanged);
    QSignalSpy name(&model, &AppModel::currentAppNameChanged);
    QSignalSpy mic(&model, &AppModel::micInUseChanged);
    QSignalSpy pressed(&model, &AppModel::pressedKeysChanged);
    QSignalSpy presses(&model, &AppModel::pressesTodayChanged);
    QSignalSpy played(&model, &AppModel::lastPlayedSoundIDChanged);
    QSignalSpy output(&model, &AppModel::macOutputSilentChanged);
    model.start();
    ASSERT_TRUE(harness.finishWork()); // the preload too
    EXPECT_EQ(permission.count(), 1);
    EXPECT_EQ(tap.count(), 1);

    harness.activate("firefox", "Firefox");
    harness.activate("firefox", "Firefox");
    EXPECT_EQ(app.count(), 1);
    EXPECT_EQ(name.count(), 1);

    *harness.mic = true;
    harness.time.advance(5); // five polls, one change
    EXPECT_EQ(mic.count(), 1);
    *harness.mic = false;
    harness.time.advance(1);

    harness.monitor->down(12, 0, "q");
    harness.monitor->down(12, 0, "q", true); // a repeat of a held key
    harness.monitor->up(12);
    harness.time.runPosted();
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(presses.count(), 1);
    harness.press(12, 0, "q");
    EXPECT_EQ(played.count(), 1); // the same sound again
    EXPECT_EQ(presses.count(), 2);

    harness.time.advance(20); // ten samples of an unchanged output
    EXPECT_EQ(output.count(), 0);
}

TEST(Signals, LaunchAtLoginTellsTheSettingsScreenToLookAgainAndLogsFailures) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy status(&model, &AppModel::launchAtLoginChanged);
    QSignalSpy version(&model, &AppModel::soundsVersionChanged);
    model.setLaunchAtLogin(true);
    EXPECT_TRUE(harness.login.enabled);
    EXPECT_TRUE(model.launchAtLogin());
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(version.count(), 0); // the sound lists have nothing to redraw
    EXPECT_TRUE(harness.logLines.empty());

    harness.login.failure = QString("Permission denied");
    model.setLaunchAtLogin(false);
    EXPECT_TRUE(harness.login.enabled);
    EXPECT_EQ(harness.logLines, std::vector<std::string>{"Tapchime: launch at login failed: Permission denied"});
    EXPECT_TRUE(model.launchAtLogin()); // what the system reports, not what was asked for
    EXPECT_EQ(status.count(), 2);
    // Not part of the document.
    harness.time.advance(1);
    harness.documents->waitForWrites(std::chrono::seconds(5));
    EXPECT_EQ(harness.writeCount(), 0u);
}

} // namespace
} // namespace tc::test
