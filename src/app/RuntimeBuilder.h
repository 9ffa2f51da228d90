#pragma once

#include "app/PlaybackRules.h"
#include "engine/RuntimeConfig.h"
#include "model/AppData.h"

#include <vector>

namespace tc {

// The router's configuration for the document and the live state:
// - on/off, master volume and stereo spread from the settings; muted when there is a mute reason;
// - the effective profile, or none when an app rule silences the frontmost application; while one of the
//   program's own windows has the keyboard focus, the active profile and no app rule's silence;
// - the enabled triggers that apply to every application or to the frontmost one: shortcuts in list order,
//   words lower-cased (of two equal words the later trigger wins);
// - pools of every sound but the mechanical ones, by category, in the order of `allSounds`.
RuntimeConfig buildRuntimeConfig(const AppData &data, const LiveState &live, const std::vector<SoundItem> &allSounds);

} // namespace tc
