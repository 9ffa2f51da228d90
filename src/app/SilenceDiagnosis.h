#pragma once

#include "app/PlaybackRules.h"
#include "app/Silence.h"
#include "model/AppData.h"

#include <optional>

namespace tc {

// Why key presses are silent: the first cause that holds, tested in the order permission, off, volume,
// computer muted, app rule, microphone, password field, quiet hours; nothing when they play. The last four
// are the mute reason's causes in the same order.
std::optional<Silence> diagnoseSilence(const AppData &data, const LiveState &live);

// Below this master volume the program counts as turned all the way down.
inline constexpr double kAudibleMasterVolume = 0.01;

// The volume the "Set to 80%" remedy restores.
inline constexpr double kRestoredMasterVolume = 0.8;

} // namespace tc
