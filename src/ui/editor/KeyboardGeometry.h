#pragma once

#include "model/KeyLayout.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tc {

// One key of the drawn keyboard at its place on the key plate.
struct PlacedKey {
    QString id;                        // the layout's id; "up" and "down" for the halves of the stacked arrow key
    const KeyDef *def = nullptr;       // the layout entry (both arrow halves carry "updown"); owned by KeyLayout
    std::optional<std::uint16_t> code; // absent for the decorative Touch ID key; 126 for both arrow halves
    QString label;                     // the legend: the entry's label, "↑" and "↓" for the arrow halves
    QRectF rect;                       // in plate points, origin top-left, y downwards
};

// The keyboard layout turned into key rectangles for one key unit (points per key of width 1), and the answer
// to which key lies under a point. A plain value computed from the unit alone; any thread.
//
// Each key leaves a free gap to its right and below it. The hit test grows every key by half a gap on every
// side, so neighbours meet edge to edge and every point of the plate belongs to exactly one key (the two
// arrow halves overlap by half a gap; the upper half answers there).
class KeyboardGeometry {
public:
    explicit KeyboardGeometry(qreal unit);

    qreal unit() const { return unit_; }
    qreal gap() const { return gap_; }
    // Row by row from the top, left to right; the stacked arrow key gives two entries, its upper half first.
    const std::vector<PlacedKey> &keys() const { return keys_; }
    // Width: 15 units less one gap, whatever the rows hold; height: the rows' heights less one gap.
    QSizeF size() const { return size_; }

    // The first key with a code whose rectangle, grown by half a gap, holds the point. A rectangle holds its
    // top and left edges but not its bottom and right ones, so a point on a shared edge belongs to the key to
    // its right or below.
    const PlacedKey *key(QPointF point) const;

    // The keys with a code that the straight segment from `from` to `to` passes over, by the hit test's cells
    // and their edges, in the order the segment reaches them (a key the segment only touches at a corner it
    // leaves is not crossed). Both ends count; a segment of no length gives the key under its point. The two
    // arrow halves both come when the segment crosses both.
    std::vector<const PlacedKey *> keysAlong(QPointF from, QPointF to) const;

    // Every placed key with that code (two for the stacked arrow key).
    std::vector<const PlacedKey *> keysWithCode(std::uint16_t code) const;

    // Where an arrow key moves the keyboard focus from the key at index `from` of keys(): the nearest key with a
    // code in that direction (dx or dy is -1 or 1, the other 0). Sideways it stays on keys the focus key's row
    // overlaps; up and down it goes to the nearest row and the key there whose centre is closest. Nothing at the
    // plate's edge.
    std::optional<std::size_t> step(std::size_t from, int dx, int dy) const;

private:
    qreal unit_;
    qreal gap_;
    std::vector<PlacedKey> keys_;
    QSizeF size_;
};

} // namespace tc
