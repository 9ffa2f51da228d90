#pragma once

#include <QString>

class QWidget;

namespace tc {

// The settings screen's shared pieces. The screen itself is built with the other settings views; the row
// label below is used by the settings rows, the onboarding steps and the app-rules smart-mute card.
struct SettingsView {
    // The two-line label of a settings-style row: the title (13-pixel semibold, default colour) over the
    // detail (12-pixel regular, Theme.ink3), leading-aligned, 2 apart, both wrapping and shown verbatim.
    static QWidget *labels(const QString &title, const QString &detail, QWidget *parent = nullptr);
};

} // namespace tc
