// The settings that reconfigure the running audio engine, and the login item.

#include "app/AppModel.h"

#include "app/AudioControl.h"
#include "app/LoginItem.h"

namespace tc {

// Each audio setting is saved and pushed, then handed to the engine as a request: the engine compares it with
// what it runs and reconfigures itself on its own thread, so the window never waits for the sound server.

void AppModel::setMaxVoices(int count) {
    commitEdit([count](AppData &data) { data.settings.maxVoices = count; });
    services_.audio->setVoiceCount(count);
}

void AppModel::setLowLatency(bool on) {
    commitEdit([on](AppData &data) { data.settings.lowLatency = on; });
    services_.audio->setLowLatency(on);
}

void AppModel::setOutputDevice(std::optional<std::string> uid) {
    commitEdit([&uid](AppData &data) { data.settings.outputDeviceUID = uid; });
    services_.audio->setOutputDevice(std::move(uid));
}

void AppModel::setLaunchAtLogin(bool on) {
    if (const auto error = services_.loginItem->setEnabled(on)) {
        services_.log("Tapchime: launch at login failed: " + error->toStdString());
    }
    // The status is read back from the system, not from here: tell the settings screen to look again.
    emit soundsVersionChanged();
}

} // namespace tc
