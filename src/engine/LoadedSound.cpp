#include "engine/LoadedSound.h"

#include <random>

namespace tc {

LoadedSound::LoadedSound(SoundItem item, Takes takes, std::vector<float> peaks)
    : item_(std::move(item)), takes_(std::move(takes)), peaks_(std::move(peaks)) {}

AudioBufferPtr LoadedSound::buffer(SoundSynth::Role role) const {
    using SoundSynth::Role;
    if (takes_.empty()) {
        return nullptr;
    }
    auto list = takes_.find(role);
    if (list == takes_.end() && role == Role::enter) {
        list = takes_.find(Role::wide);
    }
    if (list == takes_.end()) {
        list = takes_.find(Role::down);
    }
    if (list == takes_.end() || list->second.empty()) {
        return nullptr;
    }
    // Each thread keeps its own generator, so picking a take never locks.
    thread_local std::minstd_rand generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, list->second.size() - 1);
    return list->second[pick(generator)];
}

} // namespace tc
