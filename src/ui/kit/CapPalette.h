#pragma once

#include "model/Profile.h"
#include "model/SoundItem.h"

#include <QColor>
#include <utility>

namespace tc {

// The colours of a three-dimensional key cap (and of the badges and swatches that stand for it): seven
// fixed presets, one per sound category and profile colour, plus `gray` for the editor's keys.
struct CapPalette {
    std::pair<QColor, QColor> top;   // gradient of the cap's face, first to second
    std::pair<QColor, QColor> skirt; // gradient of the cap's sides, first to second
    QColor ink;                      // legend colour
    bool dark = false;               // a dark cap with white legends
    QColor swatch;                   // the one colour that stands for the palette in small marks

    static const CapPalette white;
    static const CapPalette gray;
    static const CapPalette yellow;
    static const CapPalette blue;
    static const CapPalette red;
    static const CapPalette green;
    static const CapPalette black;

    // mechanical → white, memes → yellow, animals → blue, retro → red, everyday → green, mine → black.
    static const CapPalette &forCategory(SoundCategory category);
    // The preset of the same name.
    static const CapPalette &forProfileColor(ProfileColor color);

    // Palettes are told apart by their swatch and darkness only; the gradients take no part.
    friend bool operator==(const CapPalette &a, const CapPalette &b) {
        return a.swatch == b.swatch && a.dark == b.dark;
    }
};

} // namespace tc
