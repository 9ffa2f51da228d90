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

// One end of the stretch of a segment's parameter t that lies in a cell, and whether the end itself is out.
struct Bound {
    qreal t;
    bool open;
};

// Narrows [low, high] to the t where `start + t * delta` lies in [lo, hi) on one axis; false when nothing is left.
bool clip(qreal start, qreal delta, qreal lo, qreal hi, Bound &low, Bound &high) {
    if (delta == 0) {
        return start >= lo && start < hi;
    }
    // Entering at the closed edge and leaving at the open one, whichever way the segment runs.
    const Bound in = delta > 0 ? Bound{(lo - start) / delta, false} : Bound{(hi - start) / delta, true};
    const Bound out = delta > 0 ? Bound{(hi - start) / delta, true} : Bound{(lo - start) / delta, false};
    if (in.t > low.t || (in.t == low.t && in.open)) {
        low = in;
    }
    if (out.t < high.t || (out.t == high.t && out.open)) {
        high = out;
    }
    return low.t < high.t || (low.t == high.t && !low.open && !high.open);
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

std::vector<const PlacedKey *> KeyboardGeometry::keysAlong(QPointF from, QPointF to) const {
    const qreal half = gap_ / 2;
    const QPointF delta = to - from;
    std::vector<std::pair<qreal, const PlacedKey *>> crossed;
    for (const PlacedKey &placed : keys_) {
        if (!placed.code) {
            continue;
        }
        const QRectF cell = placed.rect.adjusted(-half, -half, half, half);
        Bound low{0, false};
        Bound high{1, false};
        if (clip(from.x(), delta.x(), cell.left(), cell.right(), low, high) &&
            clip(from.y(), delta.y(), cell.top(), cell.bottom(), low, high)) {
            crossed.emplace_back(low.t, &placed);
        }
    }
    // Layout order breaks ties, as the point hit test does.
    std::stable_sort(crossed.begin(), crossed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<const PlacedKey *> keys;
    keys.reserve(crossed.size());
    for (const auto &[t, placed] : crossed) {
        keys.push_back(placed);
    }
    return keys;
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
