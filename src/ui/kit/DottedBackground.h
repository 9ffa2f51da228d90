#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace tc {

// The dotted backdrop behind the main window's pages, the onboarding sheet and the sound picker: Theme.canvas
// with 1.5-point Theme.dot dots on a square grid, the first dot half a spacing in from the top-left corner.
// Growing the region adds rows and columns at the right and bottom; the dots never move.
class DottedBackground : public QWidget {
    Q_OBJECT
public:
    // `spacing` is the distance between neighbouring dot centres in points; it must be positive (smaller
    // values are taken as 1).
    explicit DottedBackground(qreal spacing = 20, QWidget *parent = nullptr);

    qreal spacing() const { return spacing_; }

    struct Grid {
        int columns = 0;
        int rows = 0;
    };
    // How many dots fit a region: columns at x = spacing/2, spacing/2 + spacing, … while x < width; rows alike.
    static Grid grid(QSizeF size, qreal spacing);
    // All dots of a region as one path, to be filled in one call.
    static QPainterPath dots(QSizeF size, qreal spacing);
    // The same dots, but only those that touch `area`: a repaint of a small area fills a few dots, not thousands.
    static QPainterPath dots(QSizeF size, qreal spacing, const QRectF &area);
    // Paints the backdrop into `rect` (the grid is anchored at its top-left corner).
    static void paint(QPainter &painter, const QRectF &rect, qreal spacing);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // One cell of the grid for this device pixel ratio, or a null pixmap when cells are no whole number of
    // device pixels.
    QPixmap tile(qreal dpr);

    qreal spacing_;
    QPixmap tile_;
};

} // namespace tc
