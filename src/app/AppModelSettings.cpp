// The settings that reconfigure the running audio engine, and the login item.

#include "app/AppModel.h"

#include "app/AudioControl.h"
#include "app/LoginItem.h"

namespace tc {

void AppModel::setMaxVoices(int count) {
    commitEdit([count](AppData &data) { data.settings.maxVoices = count; });
    auto &audio = *services_.audio;
    std::lock_guard guard(audio.lock());
    if (static_cast<std::size_t>(count) != audio.voiceCount()) {
        audio.stopEngine();
        audio.rebuildVoices(count);
        audio.startEngine();
    }
}

void AppModel::setLowLatency(bool on) {
    commitEdit([on](AppData &data) { data.settings.lowLatency = on; });
    auto &audio = *services_.audio;
    std::lock_guard guard(audio.lock());
    audio.setLowLatency(on);
    audio.applyBufferSize();
}

void AppModel::setOutputDevice(std::optional<std::string> uid) {
    commitEdit([&uid](AppData &data) { data.settings.outputDeviceUID = uid; });
    auto &audio = *services_.audio;
    std::lock_guard guard(audio.lock());
    audio.setOutputDeviceUID(std::move(uid));
    audio.stopEngine();
    audio.applyOutputDevice();
    audio.startEngine();
}

void AppModel::setLaunchAtLogin(bool on) {
    if (const auto error = services_.loginItem->setEnabled(on)) {
        services_.log("Tapchime: launch at login failed: " + error->toStdString());
    }
    // The status is read back from the system, not from here: tell the settings screen to look again.
    emit soundsVersionChanged();
}

} // namespace tc
