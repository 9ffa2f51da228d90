#include "ui/editor/KeyboardGeometry.h"

#include "model/KeyCodes.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

std::optional<std::size_t> KeyboardGeometry::step(std::size_t from, int dx, int dy) const {
    if (from >= keys_.size()) {
        return std::nullopt;
    }
    const QRectF origin = keys_[from].rect;
    const QPointF centre = origin.center();
    // Sideways: the first key along the row. Up and down: how far the row is, and how far off-centre the key.
    const auto distance = [&](const QRectF &rect) -> std::optional<std::pair<qreal, qreal>> {
        if (dx != 0) {
            const bool sameRow = rect.top() < origin.bottom() && rect.bottom() > origin.top();
            const qreal along = (rect.center().x() - centre.x()) * dx;
            if (!sameRow || along <= 0) {
                return std::nullopt;
            }
            return std::pair(along, std::abs(rect.center().y() - centre.y()));
        }
        const qreal apart = dy < 0 ? origin.top() - rect.bottom() : rect.top() - origin.bottom();
        if (apart < -gap_ / 2) {
            return std::nullopt; // not above (below) the key
        }
        return std::pair(apart, std::abs(rect.center().x() - centre.x()));
    };
    // The nearest row first (keys within a quarter unit of it count as on it), then the key nearest the centre.
    std::vector<std::pair<std::size_t, std::pair<qreal, qreal>>> candidates;
    qreal nearest = std::numeric_limits<qreal>::max();
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (i == from || !keys_[i].code) {
            continue;
        }
        if (const auto d = distance(keys_[i].rect)) {
            candidates.emplace_back(i, *d);
            nearest = std::min(nearest, d->first);
        }
    }
    const qreal tolerance = dx != 0 ? 0 : unit_ / 4;
    std::optional<std::size_t> best;
    qreal bestOff = std::numeric_limits<qreal>::max();
    for (const auto &[index, d] : candidates) {
        // A tie (the arrow halves beside a full-height key) goes to the key first in reading order.
        if (d.first <= nearest + tolerance && d.second < bestOff - 0.01) {
            best = index;
            bestOff = d.second;
        }
    }
    return best;
}

} // namespace tc
