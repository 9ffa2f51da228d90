#pragma once

#include "ui/kit/CapPalette.h"
#include "ui/kit/Shadow.h"

#include <QFont>
#include <QRectF>
#include <QWidget>
#include <functional>

namespace tc {

class SpringAnimator;

// The three-dimensional key of the drawn keyboard: a body with a darker skirt, a face that sinks when the key
// is pressed, a legend on the face and a ring around the cap while it is selected.
//
// The widget is larger than its cap by `outset` on every side, so the shadow, the pressed cap's 1.5-point drop
// and the selection ring (4 points out) are not clipped: place it with setCapGeometry(). The static paint()
// draws the same cap into any painter, for views that paint many keys themselves.
class KeyCap : public QWidget {
    Q_OBJECT
public:
    // Draws the legend on the face: `face` is the face rectangle, `ink` the palette's legend colour.
    using Legend = std::function<void(QPainter &painter, const QRectF &face, const QColor &ink)>;

    static constexpr int outset = 6;

    // The derived lengths of a cap of width × height points with body corner `corner`, at a press amount
    // between 0 (up) and 1 (down); values in between are the spring's way down or up.
    struct Metrics {
        qreal skirt = 0;       // visible depth below the face: max(height × 0.15, 3)
        qreal sideInset = 0;   // 3 below 40 points of width, else 4
        qreal topInset = 0;    // 2 up, skirt × 0.5 down
        qreal bottomInset = 0; // skirt up, skirt × 0.6 down
        QRectF body;           // the cap at (0, 0) before its drop
        QRectF face;           // the face inside the body
        qreal faceCorner = 0;  // corner × 0.75
        qreal drop = 0;        // how far the whole cap moves down: 0 up, 1.5 down
        Shadow shadow;         // black 0.22, radius 2.5, (0, 2) up; black 0.12, radius 1, (0, 0.5) down
        QRectF ring;           // the selection ring's rectangle: 4 points beyond the unmoved cap
        qreal ringCorner = 0;  // corner + 3
    };
    static Metrics metrics(qreal width, qreal height, qreal corner, qreal press);

    // Paints a cap whose unmoved frame is `cap`.
    static void paint(QPainter &painter, const QRectF &cap, const CapPalette &palette, qreal corner, qreal press,
                      bool selected, const Legend &legend = {});

    // A centred text legend in `font`.
    static Legend text(const QString &text, const QFont &font);
    // A centred symbol legend (see Symbols).
    static Legend symbol(const char *name, qreal pixelSize, QFont::Weight weight = QFont::Normal);

    KeyCap(const CapPalette &palette, qreal width, qreal height, qreal corner, QWidget *parent = nullptr);
    ~KeyCap() override;

    void setCapPalette(const CapPalette &palette);
    // Sets the cap's size in points; the widget becomes that plus the outset.
    void setCapSize(qreal width, qreal height);
    void setCorner(qreal corner);
    // Pressing animates with a spring (response 0.12 s, damping 0.6); selection changes at once.
    void setPressed(bool pressed);
    void setSelected(bool selected);
    void setLegend(Legend legend);
    // Places the widget so that its cap covers `cap` in the parent's coordinates.
    void setCapGeometry(const QRectF &cap);

    bool isPressed() const { return pressed_; }
    bool isSelected() const { return selected_; }
    qreal pressAmount() const;
    QRectF capRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CapPalette palette_;
    qreal width_;
    qreal height_;
    qreal corner_;
    bool pressed_ = false;
    bool selected_ = false;
    Legend legend_;
    SpringAnimator *press_;
};

} // namespace tc
