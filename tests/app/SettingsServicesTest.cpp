// What the settings screen asks of the model besides the document: the output devices (read off the main
// thread, following hot-plug), the login item's status and the update check.

#include "AppModelHarness.h"
#include "support/QtTestApp.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

// Runs what the device worker posted until the model's list is `expected`.
bool deviceListBecomes(Harness &harness, const std::vector<AudioDevice> &expected) {
    return waitUntil([&] {
        harness.time.runPosted();
        return harness.model->outputDevices() == expected;
    });
}

TEST(OutputDevices, AreReadOffTheMainThreadAndFollowHotPlug) {
    Harness harness;
    harness.devices.add({"alsa_output.pci", "Built-in Audio"});
    harness.devices.add({"bluez_sink.headset", "Headset"});
    auto &model = harness.started();
    QSignalSpy changed(&model, &AppModel::outputDevicesChanged);
    EXPECT_TRUE(model.outputDevices().empty()); // nothing is asked before the first refresh

    model.refreshOutputDevices();
    const std::vector<AudioDevice> two = {{"alsa_output.pci", "Built-in Audio"}, {"bluez_sink.headset", "Headset"}};
    ASSERT_TRUE(deviceListBecomes(harness, two));
    EXPECT_EQ(changed.count(), 1);

    // Plugged in and removed while the screen is open: the change report alone brings the new list.
    harness.devices.add({"usb_sink.dac", "USB DAC"});
    harness.devices.notifyChange();
    ASSERT_TRUE(deviceListBecomes(harness, {two[0], two[1], {"usb_sink.dac", "USB DAC"}}));
    harness.devices.remove("bluez_sink.headset");
    harness.devices.notifyChange();
    ASSERT_TRUE(deviceListBecomes(harness, {two[0], {"usb_sink.dac", "USB DAC"}}));
    EXPECT_EQ(changed.count(), 3);

    // The same list again is no change; a server gone away gives an empty list. The worker answers in order,
    // so once the empty list is in, the answer before it has been handled too.
    const int queries = harness.devices.queries();
    model.refreshOutputDevices();
    ASSERT_TRUE(waitUntil([&] { return harness.devices.queries() > queries; })); // it reads the same list
    harness.devices.setReachable(false);
    model.refreshOutputDevices();
    ASSERT_TRUE(deviceListBecomes(harness, {}));
    EXPECT_EQ(changed.count(), 4);
}

TEST(OutputDevices, AListStillOnItsWayWhenTheModelGoesIsDropped) {
    Harness harness;
    harness.devices.add({"alsa_output.pci", "Built-in Audio"});
    harness.started().refreshOutputDevices();
    ASSERT_TRUE(waitUntil([&] { return harness.devices.queries() > 0; }));
    harness.model.reset(); // the worker is joined; its posted list must not reach a model that is gone
    harness.time.runPosted();
    harness.devices.notifyChange(); // no handler is left registered
    SUCCEED();
}

TEST(UpdateCheck, IsRequestedOnlyWhereThereIsAFeed) {
    Harness harness;
    auto &model = harness.make();
    QSignalSpy requested(&model, &AppModel::updateCheckRequested);
    QSignalSpy availability(&model, &AppModel::canCheckForUpdatesChanged);
    model.checkForUpdates();
    EXPECT_EQ(requested.count(), 0);

    model.setCanCheckForUpdates(true);
    model.setCanCheckForUpdates(true);
    EXPECT_EQ(availability.count(), 1);
    model.checkForUpdates();
    EXPECT_EQ(requested.count(), 1);
}

TEST(XdgAutostart, TheProgramsEntryLivesInTheUsersConfigFolderAndStartsThisVeryProgram) {
    qtApp();
    QTemporaryDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.path().toStdString());
    XdgAutostartLoginItem item;
    const QString entry = config.path() + "/autostart/tapchime.desktop";
    EXPECT_EQ(item.entryPath(), entry);
    EXPECT_FALSE(item.isEnabled());

    ASSERT_FALSE(item.setEnabled(true));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("\nExec=" + QCoreApplication::applicationFilePath() + "\n")) << text.toStdString();
    EXPECT_TRUE(item.isEnabled());
    // The desktop reads it as any other entry.
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        QProcess validate;
        validate.start("desktop-file-validate", {entry});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
    }

    ASSERT_FALSE(item.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
} // namespace tc::test
