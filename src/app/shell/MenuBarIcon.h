#pragma once

#include "app/Silence.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <optional>

class QPainter;

namespace tc {

// The tray icon: a key cap drawn by code, 20 × 16 points, that shows whether key presses play.
//  - playing: a filled cap with two upright slots cut out (open eyes);
//  - off (sounds switched off): the cap outline with two flat bars (closed eyes);
//  - silenced for any other reason: the cap outline, two upright bars and a slash.
// The drawing uses one colour, like a template image: the caller picks the colour that suits the panel.
// Main thread only (it paints).
class MenuBarIcon {
public:
    enum class State { playing, off, silenced };

    static constexpr int width = 20;
    static constexpr int height = 16;

    static State state(const std::optional<Silence> &silence);

    // Paints the icon in the 20 × 16 box at the painter's origin (y grows downwards). The slots of the playing
    // state are cleared, so paint onto a transparent layer.
    static void paint(QPainter &painter, State state, const QColor &ink);

    // The icon on a transparent image of 20 × 16 points at the given device pixel ratio.
    static QImage image(State state, const QColor &ink = Qt::black, qreal devicePixelRatio = 1.0);
    static QImage image(const std::optional<Silence> &silence, const QColor &ink = Qt::black,
                        qreal devicePixelRatio = 1.0);

    // A scalable icon (drawn sharp at any size the tray asks for, aspect kept, centred), marked as a mask so
    // desktops that tint tray icons can do so.
    static QIcon icon(State state, const QColor &ink);
};

} // namespace tc
