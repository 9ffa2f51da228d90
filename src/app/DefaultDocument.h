#pragma once

#include "model/AppData.h"

namespace tc {

// The document of a first launch: the "Default" profile and the three starter packs ("Meme mode" active),
// five example triggers, two call applications silenced, default settings, already upgraded. Every id is
// new.
AppData makeDefaultData();

} // namespace tc
