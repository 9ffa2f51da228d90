#include "ui/editor/KeyboardGeometry.h"

#include "model/KeyCodes.h"

#include <algorithm>

namespace tc {

namespace {

constexpr qreal kShortRowHeight = 0.66; // the function row, in units
constexpr qreal kRowUnits = 15;         // every row's width, in units

// Half-open containment: the minimum edges belong to the rectangle, the maximum edges do not.
bool holds(const QRectF &rect, QPointF point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom();
}

} // namespace

KeyboardGeometry::KeyboardGeometry(qreal unit) : unit_(unit), gap_(std::max<qreal>(unit * 0.07, 3)) {
    qreal y = 0;
    for (const auto &row : KeyLayout::rows()) {
        const qreal rowHeight = !row.empty() && row.front().isShort ? unit * kShortRowHeight : unit;
        qreal x = 0;
        for (const KeyDef &def : row) {
            const qreal width = unit * def.width;
            if (def.id == "updown") {
                const qreal full = rowHeight - gap_;
                const qreal half = (full - gap_ / 2) / 2;
                keys_.push_back({QStringLiteral("up"), &def, KeyCodes::kUpDown, QStringLiteral("↑"),
                                 QRectF(x, y, width - gap_, half)});
                keys_.push_back({QStringLiteral("down"), &def, KeyCodes::kUpDown, QStringLiteral("↓"),
                                 QRectF(x, y + half + gap_ / 2, width - gap_, half)});
            } else {
                keys_.push_back({QString::fromStdString(def.id), &def, def.code, QString::fromStdString(def.label),
                                 QRectF(x, y, width - gap_, rowHeight - gap_)});
            }
            x += width;
        }
        y += rowHeight;
    }
    size_ = QSizeF(unit * kRowUnits - gap_, y - gap_);
}

const PlacedKey *KeyboardGeometry::key(QPointF point) const {
    const qreal half = gap_ / 2;
    for (const PlacedKey &placed : keys_) {
        if (!placed.code) {
            continue;
        }
        if (holds(placed.rect.adjusted(-half, -half, half, half), point)) {
            return &placed;
        }
    }
    return nullptr;
}

std::vector<const PlacedKey *> KeyboardGeometry::keysWithCode(std::uint16_t code) const {
    std::vector<const PlacedKey *> found;
    for (const PlacedKey &placed : keys_) {
        if (placed.code == code) {
            found.push_back(&placed);
        }
    }
    return found;
}

} // namespace tc
