// The Settings page: every row reaches the model (and through it the engine, the login item and the update
// component), and the page shows what the system reports.

#include "ui/settings/SettingsView.h"

#include "support/ScopedEnv.h"
#include "support/Wait.h"
#include "ui/ModelStates.h"
#include "ui/kit/PillToggle.h"
#include "ui/settings/SettingsRows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// Shows the page (which reads the devices and the login item) and waits for the device list to arrive.
void showAndSettle(Harness &harness, SettingsView &view, int expectedEntries) {
    view.show();
    ASSERT_TRUE(waitUntil([&] {
        harness.time.runPosted();
        return view.outputPicker()->count() == expectedEntries;
    }));
}

QStringList entries(const QComboBox *picker) {
    QStringList list;
    for (int i = 0; i < picker->count(); ++i) {
        list << picker->itemText(i) + "=" + picker->itemData(i).toString();
    }
    return list;
}

TEST(SettingsView, TheOutputPickerStoresUidsAndTheSystemDefaultAsNothing) {
    shellApp();
    Harness harness;
    // Two devices with one name stay two entries.
    harness.devices.add({"alsa_output.usb-a", "USB Speakers"});
    harness.devices.add({"alsa_output.usb-b", "USB Speakers"});
    AppModel &model = harness.started();
    SettingsView view(model);
    showAndSettle(harness, view, 3);
    QComboBox *picker = view.outputPicker();
    EXPECT_EQ(entries(picker),
              (QStringList{"System default=", "USB Speakers=alsa_output.usb-a", "USB Speakers=alsa_output.usb-b"}));
    EXPECT_EQ(picker->currentIndex(), 0);

    harness.audio.calls.clear();
    emit picker->activated(2);
    EXPECT_EQ(model.data().settings.outputDeviceUID, std::optional<std::string>("alsa_output.usb-b"));
    EXPECT_EQ(picker->currentIndex(), 2);
    emit picker->activated(0);
    EXPECT_EQ(model.data().settings.outputDeviceUID, std::nullopt); // never an empty string
    emit picker->activated(0);                                      // chosen again: still nothing stored
    EXPECT_EQ(model.data().settings.outputDeviceUID, std::nullopt);
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"setOutputDevice(alsa_output.usb-b)",
                                                             "setOutputDevice(default)", "setOutputDevice(default)"}));
    letSaveRun(harness);
    EXPECT_FALSE(QString::fromStdString(harness.writes->documents.back()).contains("outputDeviceUID"));
}

TEST(SettingsView, AStoredDeviceThatIsGoneShowsAsTheDefaultAndHotPlugIsFollowed) {
    shellApp();
    Harness harness;
    harness.devices.add({"alsa_output.pci", "Built-in Audio"});
    AppModel &model = harness.started();
    model.setOutputDevice("bluez_sink.headset"); // not plugged in
    SettingsView view(model);
    showAndSettle(harness, view, 2);
    EXPECT_EQ(view.outputPicker()->currentIndex(), 0);
    EXPECT_EQ(model.data().settings.outputDeviceUID, std::optional<std::string>("bluez_sink.headset"));

    // The headset comes back while the page is open: it is listed and shown as chosen.
    harness.devices.add({"bluez_sink.headset", "Headset"});
    harness.devices.notifyChange();
    ASSERT_TRUE(waitUntil([&] {
        harness.time.runPosted();
        return view.outputPicker()->count() == 3;
    }));
    EXPECT_EQ(view.outputPicker()->currentIndex(), 2);

    // No server: only "System default".
    harness.devices.setReachable(false);
    harness.devices.notifyChange();
    ASSERT_TRUE(waitUntil([&] {
        harness.time.runPosted();
        return view.outputPicker()->count() == 1;
    }));
    EXPECT_EQ(view.outputPicker()->itemText(0), QStringLiteral("System default"));
}

TEST(SettingsView, SwitchesPickerAndSliderReachTheModelAndTheEngine) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    SettingsView view(model);
    harness.audio.calls.clear();

    ASSERT_TRUE(model.data().settings.stereoSpread);
    view.stereoToggle()->click();
    EXPECT_FALSE(model.data().settings.stereoSpread);
    EXPECT_FALSE(harness.router.config()->stereoSpread); // pushed at once

    ASSERT_TRUE(model.data().settings.lowLatency);
    view.lowLatencyToggle()->click();
    EXPECT_FALSE(model.data().settings.lowLatency);
    EXPECT_FALSE(view.lowLatencyToggle()->isOn());

    QComboBox *voices = view.voicesPicker();
    EXPECT_EQ(voices->itemText(voices->currentIndex()), QStringLiteral("12 voices"));
    emit voices->activated(4);
    EXPECT_EQ(model.data().settings.maxVoices, 24);
    EXPECT_EQ(harness.audio.calls, (std::vector<std::string>{"setLowLatency(false)", "setVoiceCount(24)"}));

    // A count the list does not offer shows no entry and stays stored.
    model.commitEdit([](AppData &data) { data.settings.maxVoices = 7; });
    EXPECT_EQ(voices->currentIndex(), -1);
    EXPECT_EQ(model.data().settings.maxVoices, 7);

    // The slider's ends store exactly 0 and 1; a change elsewhere moves the slider.
    view.volumeSlider()->setValue(view.volumeSlider()->maximum());
    EXPECT_EQ(model.data().settings.masterVolume, 1.0);
    view.volumeSlider()->setValue(view.volumeSlider()->minimum());
    EXPECT_EQ(model.data().settings.masterVolume, 0.0);
    model.setSetting(&AppSettings::masterVolume, 0.25);
    EXPECT_EQ(view.volumeSlider()->value(), 250);
    model.setSetting(&AppSettings::stereoSpread, true);
    EXPECT_TRUE(view.stereoToggle()->isOn());

    letSaveRun(harness);
    const auto saved = QJsonDocument::fromJson(QByteArray::fromStdString(harness.writes->documents.back()));
    EXPECT_EQ(saved["settings"]["masterVolume"].toDouble(), 0.25);
    EXPECT_EQ(saved["settings"]["lowLatency"].toBool(true), false);
}

TEST(SettingsView, TheLoginSwitchShowsWhatTheSystemReports) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    SettingsView view(model);
    PillToggle *toggle = view.launchAtLoginToggle();
    EXPECT_FALSE(toggle->isOn());

    toggle->click();
    EXPECT_EQ(harness.login.calls, std::vector<bool>{true});
    EXPECT_TRUE(toggle->isOn());
    toggle->click();
    EXPECT_FALSE(toggle->isOn());

    // The system refuses: the switch stays off and the failure is logged.
    harness.login.failure = QStringLiteral("Read-only file system");
    toggle->click();
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(harness.logLines.back(), "Tapchime: launch at login failed: Read-only file system");

    // Registered from elsewhere: the page reads it again when it comes on screen.
    harness.login.enabled = true;
    view.show();
    EXPECT_TRUE(toggle->isOn());
}

TEST(SettingsView, RevealExportAndTheLinksUseTheirPlatformPieces) {
    shellApp();
    Harness harness;
    QTemporaryDir data;
    harness.library.folder = (data.path() + "/Tapchime/Sounds").toStdString();
    AppModel &model = harness.started();
    SettingsView view(model);
    std::vector<QUrl> opened;
    view.setOpener([&](const QUrl &url) {
        opened.push_back(url);
        return true;
    });
    std::optional<QString> chosen;
    view.setSavePanel([&](QWidget *) { return chosen; });

    view.revealButton()->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(data.path() + "/Tapchime/Sounds"));
    EXPECT_TRUE(QDir(data.path() + "/Tapchime/Sounds").exists()); // made on demand
    view.feedbackLink()->click();
    view.websiteLink()->click();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[2].scheme(), QStringLiteral("https"));

    // Cancelled: nothing written, nothing logged.
    view.exportButton()->click();
    EXPECT_TRUE(harness.logLines.empty());

    chosen = data.path() + "/Tapchime backup.json";
    view.exportButton()->click();
    // Written on the model's worker; until it is, a second click writes no second backup.
    EXPECT_FALSE(view.exportButton()->isEnabled());
    ASSERT_TRUE(harness.finishWork());
    EXPECT_TRUE(view.exportButton()->isEnabled());
    QFile backup(*chosen);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    const auto document = QJsonDocument::fromJson(backup.readAll());
    EXPECT_EQ(document["profiles"].toArray().size(), static_cast<qsizetype>(model.data().profiles.size()));

    EXPECT_EQ(view.findChild<QMessageBox *>(), nullptr); // what worked says nothing

    // A folder that is not there: no file, the reason in the log and in an alert.
    chosen = data.path() + "/missing/Tapchime backup.json";
    view.exportButton()->click();
    ASSERT_TRUE(harness.finishWork());
    EXPECT_FALSE(QFile::exists(*chosen));
    ASSERT_EQ(harness.logLines.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(harness.logLines[0]).startsWith("Tapchime: backup export failed: "));
    EXPECT_TRUE(QString::fromStdString(harness.logLines[0]).contains("missing"));
    const auto *alert = view.findChild<QMessageBox *>();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), QStringLiteral("Couldn't export the backup"));
    EXPECT_TRUE(alert->informativeText().startsWith("The backup couldn't be written to the folder " +
                                                    QDir::toNativeSeparators(data.path() + "/missing") + ". "))
        << alert->informativeText().toStdString();
    EXPECT_TRUE(alert->informativeText().contains("missing"));
}

// A button that leads nowhere says so: "Reveal" without a file manager names the folder, the links without
// an application for them give their address, and "Check now" without an update feed says why it is disabled.
TEST(SettingsView, RevealAndTheLinksWithoutAnApplicationAndADisabledCheckSayWhy) {
    shellApp();
    Harness harness;
    QTemporaryDir data;
    harness.library.folder = (data.path() + "/Tapchime/Sounds").toStdString();
    AppModel &model = harness.started();
    SettingsView view(model);
    view.setOpener([](const QUrl &) { return false; });

    view.revealButton()->click();
    harness.time.runPosted(); // the opener's answer lands
    const auto *alert = view.findChild<QMessageBox *>();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->informativeText().contains(data.path() + "/Tapchime/Sounds"));

    // The two links without an application for them: each says what happened and gives its address.
    const struct {
        QAbstractButton *link;
        const char *title;
        const char *address;
    } links[] = {
        {view.feedbackLink(), "Couldn't start an email", "feedback@tapchime.app"},
        {view.websiteLink(), "Couldn't open the website", "https://tapchime.app"},
    };
    for (const auto &link : links) {
        for (QMessageBox *box : view.findChildren<QMessageBox *>()) {
            delete box;
        }
        link.link->click();
        harness.time.runPosted();
        const auto *said = view.findChild<QMessageBox *>();
        ASSERT_NE(said, nullptr) << link.title;
        EXPECT_EQ(said->text(), QString::fromUtf8(link.title));
        EXPECT_TRUE(said->informativeText().contains(QString::fromUtf8(link.address))) << link.title;
    }

    model.setCanCheckForUpdates(false);
    EXPECT_FALSE(view.checkNowButton()->isEnabled());
    EXPECT_EQ(view.checkNowButton()->toolTip(), SettingsView::checkNowTip(false));
    EXPECT_TRUE(view.checkNowButton()->toolTip().contains("no update feed"));
    model.setCanCheckForUpdates(true);
    EXPECT_TRUE(view.checkNowButton()->isEnabled());
    EXPECT_TRUE(view.checkNowButton()->toolTip().isEmpty());
}

TEST(SettingsView, KeyboardAccessRowAsksForHelpAndTurnsToAllowedByItself) {
    shellApp();
    Harness harness;
    harness.monitorStarts = false;
    AppModel &model = harness.started();
    SettingsView view(model);
    EXPECT_FALSE(view.allowButton()->isHidden());
    EXPECT_TRUE(view.allowedBadge()->isHidden());

    QSignalSpy help(&model, &AppModel::keyboardAccessHelpRequested);
    const int starts = harness.monitor->startCalls;
    view.allowButton()->click();
    EXPECT_EQ(help.count(), 1);
    EXPECT_GT(harness.monitor->startCalls, starts);

    // The user joins the input group; the model's retry starts the monitor and the row follows.
    harness.monitor->startSucceeds = true;
    harness.time.advance(AppModel::kPermissionRetry);
    EXPECT_TRUE(view.allowButton()->isHidden());
    EXPECT_FALSE(view.allowedBadge()->isHidden());
}

TEST(SettingsView, CheckNowFollowsTheUpdateFeedAndTheTextsAreFixed) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    SettingsView view(model);
    QSignalSpy requested(&model, &AppModel::updateCheckRequested);
    EXPECT_FALSE(view.checkNowButton()->isEnabled());
    model.setCanCheckForUpdates(true);
    ASSERT_TRUE(view.checkNowButton()->isEnabled());
    view.checkNowButton()->click();
    EXPECT_EQ(requested.count(), 1);

    EXPECT_EQ(SettingsView::headerDetail(QString()), QStringLiteral("Tapchime 1.0"));
    EXPECT_EQ(SettingsView::headerDetail(QStringLiteral("2.3.1")), QStringLiteral("Tapchime 2.3.1"));
    EXPECT_EQ(SettingsView::versionLine(QStringLiteral("? (7)")), QStringLiteral("Tapchime ? (7) · checks daily"));
}

// The hotkey rows name each chord with one PC key name a cap, and a cap is as wide as its name needs.
TEST(SettingsView, TheHotkeyRowsShowOneNamedCapPerKey) {
    shellApp();
    Harness harness;
    AppModel &model = harness.started();
    SettingsView view(model);
    QList<QStringList> shown;
    for (const QWidget *child : view.findChildren<QWidget *>()) {
        if (const auto *combo = dynamic_cast<const SettingsRows::KeyCombo *>(child)) { // a plain QWidget type
            shown << combo->labels();
        }
    }
    EXPECT_EQ(shown, (QList<QStringList>{{"Ctrl", "Alt", "K"}, {"Ctrl", "Alt", "P"}}));

    const std::pair<const char *, qreal> widths[] = {{"K", 30}, {"↩", 30}, {"Alt", 40}, {"Ctrl", 48}, {"Shift", 56}};
    for (const auto &[label, width] : widths) {
        EXPECT_EQ(SettingsRows::KeyCombo::capWidth(QString::fromUtf8(label)), width) << label;
    }
    // Ctrl, Alt and K, 4 apart, with room for the caps' shadows either side.
    const SettingsRows::KeyCombo combo({"Ctrl", "Alt", "K"});
    EXPECT_GE(combo.sizeHint().width(), 48 + 40 + 30 + 2 * 4);
}

// The backup's save panel opens in the Documents folder, or in the home folder when there is none (not in the
// program's working folder).
TEST(SettingsView, TheBackupPanelOpensInDocumentsOrElseInTheHomeFolder) {
    QTemporaryDir home;
    ScopedEnv homeVariable("HOME", home.path().toStdString());
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() + "/.config").toStdString());
    EXPECT_EQ(SettingsView::backupFolder(), home.path());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(SettingsView::backupFolder(), home.path() + "/Documents");
}

} // namespace
} // namespace tc::test
