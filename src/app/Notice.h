#pragma once

#include "app/Silence.h"

#include <QString>
#include <functional>
#include <optional>

namespace tc {

// What the notice panel shows: the hotkey has just turned sounds on or off, or the user types but cannot hear
// the keys (with the silence that explains why).
struct Notice {
    enum class Kind { silent, soundsOn, soundsOff };

    Kind kind = Kind::soundsOn;
    std::optional<Silence> silence; // present exactly for `silent`

    static Notice silent(Silence why) { return {Kind::silent, std::move(why)}; }
    static Notice soundsOn() { return {Kind::soundsOn, std::nullopt}; }
    static Notice soundsOff() { return {Kind::soundsOff, std::nullopt}; }

    friend bool operator==(const Notice &, const Notice &) = default;
};

// The texts and look of a notice, as the notice view draws it.
struct NoticeContent {
    QString title;
    QString subtitle;
    double mascotOpacity = 1.0;
    std::optional<QString> fixLabel; // the remedy button, only for a silence that has one
};

NoticeContent noticeContent(const Notice &notice);

// How long a notice stays before it hides itself: 1.8 s for sounds on/off, 6.0 s for a silence.
double noticeSeconds(const Notice &notice);

// What a notice's view can ask of the notice panel: hide it, or run the remedy of the silence the notice was
// made for (then hide).
struct NoticeActions {
    std::function<void()> dismiss;
    std::function<void()> fix;
};

} // namespace tc
