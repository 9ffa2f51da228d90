#pragma once

// The document the save-kill test and its child process agree on: large enough that a save takes a while,
// and the same in both processes for one generation number.

#include "model/AppData.h"
#include "model/StarterPacks.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace tc::test {

inline Uuid numberedUuid(std::uint32_t number) {
    char text[37];
    std::snprintf(text, sizeof text, "%08X-0000-4000-8000-000000000000", number);
    return *Uuid::parse(text);
}

// Makes `data` the given generation of the large document: its coach step and the start of every profile
// name.
inline void setGeneration(AppData &data, std::int64_t generation) {
    constexpr std::size_t kNameLength = 15000; // long names make most of a save's time the writing of the file
    for (std::size_t p = 0; p < data.profiles.size(); ++p) {
        auto &name = data.profiles[p].name;
        name = "Generation " + std::to_string(generation) + " profile " + std::to_string(p) + " ";
        name.resize(kNameLength, static_cast<char>('a' + p % 26));
    }
    data.settings.coachStep = generation;
}

// About 1.5 MB of JSON.
inline AppData largeDocument(std::int64_t generation) {
    constexpr int kProfiles = 100;
    constexpr int kKeysPerProfile = 10;
    AppData data;
    for (int p = 0; p < kProfiles; ++p) {
        Profile profile;
        profile.id = numberedUuid(static_cast<std::uint32_t>(p + 1));
        profile.color = ProfileColor::blue;
        profile.baseSoundID = "synth.cream";
        for (int key = 0; key < kKeysPerProfile; ++key) {
            profile.keys[std::to_string(key)] =
                KeyAssignment{.soundID = "synth.meow", .volume = 0.5, .pitchVariation = 0.06, .layerBase = true};
        }
        data.profiles.push_back(std::move(profile));
    }
    data.activeProfileID = data.profiles.front().id;
    data.settings.seededPacks = {std::string(StarterPacks::kMigrationMarker)}; // no upgrade on load
    setGeneration(data, generation);
    return data;
}

} // namespace tc::test
