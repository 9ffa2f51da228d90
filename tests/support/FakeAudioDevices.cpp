#include "support/FakeAudioDevices.h"

#include <algorithm>

namespace tc::test {

std::vector<uint32_t> FakeAudioDevices::allDeviceIDs() {
    std::lock_guard guard(mutex_);
    ++queries_;
    std::vector<uint32_t> ids;
    if (reachable_) {
        for (const Entry &entry : devices_) {
            ids.push_back(entry.id);
        }
    }
    return ids;
}

std::optional<uint32_t> FakeAudioDevices::deviceID(const std::string &uid) {
    std::lock_guard guard(mutex_);
    ++queries_;
    if (reachable_) {
        for (const Entry &entry : devices_) {
            if (entry.device.uid == uid) {
                return entry.id;
            }
        }
    }
    return std::nullopt;
}

std::vector<AudioDevice> FakeAudioDevices::outputDevices() {
    std::lock_guard guard(mutex_);
    ++queries_;
    std::vector<AudioDevice> devices;
    if (reachable_) {
        for (const Entry &entry : devices_) {
            devices.push_back(entry.device);
        }
    }
    return devices;
}

std::optional<AudioDevice> FakeAudioDevices::defaultOutput() {
    std::lock_guard guard(mutex_);
    ++queries_;
    if (reachable_) {
        for (const Entry &entry : devices_) {
            if (entry.device.uid == default_) {
                return entry.device;
            }
        }
    }
    return std::nullopt;
}

int FakeAudioDevices::addChangeHandler(ChangeHandler handler) {
    std::lock_guard guard(mutex_);
    handlers_.emplace(nextToken_, std::move(handler));
    return nextToken_++;
}

void FakeAudioDevices::removeChangeHandler(int token) {
    std::lock_guard guard(mutex_);
    handlers_.erase(token);
}

void FakeAudioDevices::add(const AudioDevice &device) {
    std::lock_guard guard(mutex_);
    devices_.push_back({nextID_++, device});
    if (default_.empty()) {
        default_ = device.uid;
    }
}

void FakeAudioDevices::remove(const std::string &uid) {
    std::lock_guard guard(mutex_);
    std::erase_if(devices_, [&](const Entry &entry) { return entry.device.uid == uid; });
    if (default_ == uid) {
        default_ = devices_.empty() ? std::string() : devices_.front().device.uid;
    }
}

void FakeAudioDevices::setDefault(const std::string &uid) {
    std::lock_guard guard(mutex_);
    default_ = uid;
}

void FakeAudioDevices::setReachable(bool reachable) {
    std::lock_guard guard(mutex_);
    reachable_ = reachable;
}

void FakeAudioDevices::notifyChange() {
    std::map<int, ChangeHandler> handlers;
    {
        std::lock_guard guard(mutex_);
        handlers = handlers_;
    }
    for (auto &[token, handler] : handlers) {
        handler();
    }
}

int FakeAudioDevices::queries() const {
    std::lock_guard guard(mutex_);
    return queries_;
}

} // namespace tc::test
