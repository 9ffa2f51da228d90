#pragma once

#include "model/SoundItem.h"

namespace tc {

// The symbol that stands for a sound category. Every screen shows the same symbol for every category but
// mechanical, which each screen shows its own way; the choice lives here so that the screens cannot drift apart.
// Memes "burst.fill", animals "pawprint.fill", retro "gamecontroller.fill", everyday "bell.fill", mine "waveform".
namespace CategorySymbols {

// On a sound's badge and the inspector's cap: mechanical has no symbol (nullptr); the badge writes "K" instead,
// the inspector's cap stays plain.
const char *badge(SoundCategory category);

// On the keys of the drawn keyboard: mechanical "music.note".
const char *key(SoundCategory category);

// On a pack's card: mechanical "keyboard".
const char *pack(SoundCategory category);

} // namespace CategorySymbols

} // namespace tc
