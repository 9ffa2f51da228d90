#pragma once

#include <QString>
#include <optional>

namespace tc {

// The one answer to "why are key presses silent?", shown by every status surface (status pill, silence
// card, tray icon, notice panel). The application model computes it; the kinds are tested in this order
// and the first that holds wins.
struct Silence {
    enum class Kind { permission, off, volume, macMuted, app, mic, password, quiet };

    Kind kind = Kind::off;
    QString title;              // the short headline
    QString detail;             // one explaining sentence
    std::optional<QString> fix; // label of the remedy button; absent when the program cannot remove the cause

    friend bool operator==(const Silence &, const Silence &) = default;
};

} // namespace tc
