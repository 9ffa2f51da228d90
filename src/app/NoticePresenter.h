#pragma once

#include "app/Silence.h"

namespace tc {

// One notice of the floating notice panel.
struct Notice {
    enum class Kind { silent, soundsOn, soundsOff };

    Kind kind = Kind::soundsOn;
    Silence silence; // the cause, for `silent` only

    static Notice soundsOn() { return {Kind::soundsOn, {}}; }
    static Notice soundsOff() { return {Kind::soundsOff, {}}; }
    static Notice silent(Silence silence) { return {Kind::silent, std::move(silence)}; }

    friend bool operator==(const Notice &, const Notice &) = default;
};

// Shows a notice wherever the user is typing: the on/off hotkey's answer and the reason why typing is
// silent. Implemented by the notice panel; the application model only asks for notices.
// Thread: the main thread.
class NoticePresenter {
public:
    virtual ~NoticePresenter() = default;
    // Shows the notice, replacing one on screen.
    virtual void show(const Notice &notice) = 0;
};

} // namespace tc
