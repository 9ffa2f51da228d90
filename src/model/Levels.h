#pragma once

#include <algorithm>
#include <cmath>

namespace tc {

// Volumes and pitch variations as they are played. The document keeps what it stored, and a hand-edited one
// may hold a master volume of 7.5 or a negative key volume; every place that hands such a value to the audio
// path (the runtime configuration, previews) or judges it (the silence diagnosis) goes through these.

// The largest pitch variation that plays: rates stay within 0.5 to 1.5, inside the engine's own range.
inline constexpr double kMaxPlayablePitchVariation = 0.5;

// A volume (master, key or preview), 0 to 1. NaN is silence.
inline double playableVolume(double volume) {
    return std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
}

// A key's pitch variation, 0 to kMaxPlayablePitchVariation. NaN is none.
inline double playablePitchVariation(double variation) {
    return std::isnan(variation) ? 0.0 : std::clamp(variation, 0.0, kMaxPlayablePitchVariation);
}

} // namespace tc
