#include "support/FakeSoundLookup.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>

namespace tc {

namespace {

std::string_view roleName(SoundSynth::Role role) {
    constexpr std::array<std::string_view, 5> names = {"down", "up", "space", "wide", "enter"};
    return names.at(static_cast<std::size_t>(role));
}

} // namespace

LoadedSoundPtr FakeSoundLookup::loaded(const std::string &id) const {
    std::lock_guard guard(mutex_);
    const auto it = sounds_.find(id);
    return it == sounds_.end() ? nullptr : it->second;
}

void FakeSoundLookup::add(LoadedSoundPtr sound) {
    std::lock_guard guard(mutex_);
    const std::string id = sound->item().id;
    sounds_[id] = std::move(sound);
}

LoadedSoundPtr FakeSoundLookup::addSound(const std::string &id, SoundCategory category,
                                         std::initializer_list<SoundSynth::Role> roles) {
    LoadedSound::Takes takes;
    for (const auto role : roles) {
        auto buffer = std::make_shared<AudioBuffer>();
        buffer->left.assign(480, 0.1f);
        buffer->right.assign(480, 0.1f);
        takes[role].push_back(std::move(buffer));
    }
    SoundItem item{id, id, category, std::nullopt, 0.01};
    auto sound = std::make_shared<const LoadedSound>(std::move(item), std::move(takes), std::vector<float>(64, 0.1f));
    add(sound);
    return sound;
}

void FakeSoundLookup::remove(const std::string &id) {
    std::lock_guard guard(mutex_);
    sounds_.erase(id);
}

AudioBufferPtr FakeSoundLookup::take(const std::string &id, SoundSynth::Role role) const {
    const LoadedSoundPtr sound = loaded(id);
    if (!sound) {
        return nullptr;
    }
    const auto list = sound->takes().find(role);
    return list == sound->takes().end() || list->second.empty() ? nullptr : list->second.front();
}

std::string FakeSoundLookup::describe(const AudioBufferPtr &buffer) const {
    std::lock_guard guard(mutex_);
    for (const auto &[id, sound] : sounds_) {
        for (const auto &[role, list] : sound->takes()) {
            for (const auto &take : list) {
                if (take == buffer) {
                    return id + "/" + std::string(roleName(role));
                }
            }
        }
    }
    return "?";
}

} // namespace tc
