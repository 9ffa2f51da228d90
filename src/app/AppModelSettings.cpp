// The settings that reconfigure the running audio engine, and the login item.

#include "app/AppModel.h"

#include "app/AudioControl.h"
#include "app/LoginItem.h"
#include "app/OutputDeviceList.h"
#include "app/SoundCatalog.h"

#include <system_error>

namespace tc {

// Each audio setting is saved and pushed, then handed to the engine as a request: the engine compares it with
// what it runs and reconfigures itself on its own thread, so the window never waits for the sound server.

void AppModel::setMaxVoices(int count) {
    commitEdit([count](AppData &data) { data.settings.maxVoices = count; }, settingsPart);
    services_.audio->setVoiceCount(count);
}

void AppModel::setLowLatency(bool on) {
    commitEdit([on](AppData &data) { data.settings.lowLatency = on; }, settingsPart);
    services_.audio->setLowLatency(on);
}

void AppModel::setOutputDevice(std::optional<std::string> uid) {
    commitEdit([&uid](AppData &data) { data.settings.outputDeviceUID = uid; }, settingsPart);
    services_.audio->setOutputDevice(std::move(uid));
}

void AppModel::setLaunchAtLogin(bool on) {
    if (const auto error = services_.loginItem->setEnabled(on)) {
        services_.log("Tapchime: launch at login failed: " + error->toStdString());
    }
    // The status is read back from the system, not from here: tell the settings screen to look again.
    emit launchAtLoginChanged();
}

bool AppModel::launchAtLogin() const {
    return services_.loginItem->isEnabled();
}

std::filesystem::path AppModel::soundsFolder() const {
    auto folder = services_.library->soundsFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

void AppModel::refreshOutputDevices() {
    if (!services_.devices) {
        return;
    }
    if (!deviceList_) {
        // The list's own tasks are dropped once it is gone, and it goes with the model.
        deviceList_ = std::make_unique<OutputDeviceList>(*services_.devices, *services_.background,
                                                         [this](std::vector<AudioDevice> devices) {
                                                             if (assignField(outputDevices_, std::move(devices))) {
                                                                 emit outputDevicesChanged();
                                                             }
                                                         });
    }
    deviceList_->refresh();
}

void AppModel::setCanCheckForUpdates(bool canCheck) {
    if (assignField(canCheckForUpdates_, canCheck)) {
        emit canCheckForUpdatesChanged();
    }
}

void AppModel::checkForUpdates() {
    if (canCheckForUpdates_) {
        emit updateCheckRequested();
    }
}

} // namespace tc
