#pragma once

#include "app/Silence.h"

namespace tc {

// Shows a notice wherever the user is typing: the on/off hotkey's answer and the reason why typing is
// silent. Implemented over the notice panel by the composition root; the application model only asks for
// notices.
// Thread: the main thread.
class NoticePresenter {
public:
    virtual ~NoticePresenter() = default;
    // The hotkey has just turned sounds on (true) or off (false).
    virtual void showSounds(bool on) = 0;
    // The user types but cannot hear the keys, for this reason.
    virtual void showSilence(const Silence &silence) = 0;
};

} // namespace tc
