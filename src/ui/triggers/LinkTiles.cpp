#include "ui/triggers/LinkTiles.h"

#include "app/BackgroundService.h"
#include "engine/Landings.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

// How far a link's drawing reaches past its path's corners: the end dots and the pen.
constexpr qreal kLinkReach = 8;
// Pictures kept beyond those of what shows, so that scrolling back and forth does not paint them again.
constexpr std::size_t kKeptBands = 24;

QRect bandRect(int index, int left, int width) {
    return QRect(left, index * LinkTiles::kBandHeight, width, LinkTiles::kBandHeight);
}

// A copy of `path` that shares nothing with it: a path caches what the painter makes of it inside its shared data,
// so two threads must not draw the same one.
QPainterPath detached(const QPainterPath &path) {
    QPainterPath copy;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            copy.moveTo(element);
            break;
        case QPainterPath::LineToElement:
            copy.lineTo(element);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < path.elementCount()) {
                copy.cubicTo(element, path.elementAt(i + 1), path.elementAt(i + 2));
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return copy;
}

// Narrows [from, to] (lengths along the line from `a` to `b`) to the part inside `box`; false when none is.
bool clipped(const QPointF &a, const QPointF &b, const QRectF &box, qreal &from, qreal &to) {
    const qreal length = to;
    if (length <= 0) {
        return box.contains(a);
    }
    qreal low = 0;
    qreal high = 1;
    const qreal dx = b.x() - a.x();
    const qreal dy = b.y() - a.y();
    const qreal sides[4][2] = {
        {-dx, a.x() - box.left()}, {dx, box.right() - a.x()}, {-dy, a.y() - box.top()}, {dy, box.bottom() - a.y()}};
    for (const auto &[p, q] : sides) {
        if (p == 0) {
            if (q < 0) {
                return false;
            }
        } else if (p < 0) {
            low = std::max(low, q / p);
        } else {
            high = std::min(high, q / p);
        }
    }
    if (low > high) {
        return false;
    }
    from = low <= 0 ? 0 : low * length;
    to = high >= 1 ? length : high * length;
    return true;
}

} // namespace

LinkTiles::LinkTiles(BackgroundService &lanes, std::function<std::vector<Link>()> links,
                     std::function<void(const QRect &)> changed, QObject *parent)
    : QObject(parent), lanes_(lanes), links_(std::move(links)), changed_(std::move(changed)),
      landings_(lanes.landings()) {}

LinkTiles::~LinkTiles() = default;

std::vector<LinkTiles::Link> LinkTiles::crossing(const std::vector<Link> &links, const QRectF &area) {
    std::vector<Link> out;
    const QRectF reach = area.adjusted(-kLinkReach, -kLinkReach, kLinkReach, kLinkReach);
    for (const Link &link : links) {
        if (QRectF(link.start, link.end).normalized().adjusted(-4, -4, 4, 4).intersects(reach)) {
            out.push_back(link);
        }
    }
    return out;
}

QPainterPath LinkTiles::dashes(const QPainterPath &path, const QPen &pen, const QRectF &area, qreal scale) {
    std::vector<qreal> pattern;
    qreal period = 0;
    const QList<qreal> given = pen.dashPattern();
    for (qsizetype i = 0; i + 1 < std::min<qsizetype>(given.size(), 32); i += 2) {
        for (const qreal part : {given[i], given[i + 1]}) {
            pattern.push_back(std::max(part, qreal(0)) * pen.widthF());
            period += pattern.back();
        }
    }
    QPainterPath out;
    if (pattern.empty() || period <= 0) {
        return out;
    }
    // A line whose box misses this takes no part in what shows: a dash reaching from it is shorter than the margin.
    const qreal margin = *std::max_element(pattern.begin(), pattern.end()) + pen.widthF() + 2;
    const QRectF near = area.adjusted(-margin, -margin, margin, margin);
    const qreal offset = pen.dashOffset() * pen.widthF();
    // Made into lines in device pixels, as the painter does, and back into points.
    const QTransform toDevice = QTransform::fromScale(scale, scale);
    const QTransform back = QTransform::fromScale(1 / scale, 1 / scale);
    for (const QPolygonF &deviceLine : path.toSubpathPolygons(toDevice)) {
        const QPolygonF line = scale == 1 ? deviceLine : back.map(deviceLine);
        qreal walked = 0; // along the line, to the start of the current piece
        bool drawing = false;
        for (qsizetype i = 1; i < line.size(); ++i) {
            const QPointF a = line[i - 1];
            const QPointF b = line[i];
            const qreal length = std::hypot(b.x() - a.x(), b.y() - a.y());
            const qreal startsAt = walked;
            walked += length;
            // The part of the line inside `near`, as lengths along it (a long straight line through the middle of
            // a big graph is dashed only where it shows).
            qreal from = 0;
            qreal to = length;
            if (!clipped(a, b, near, from, to)) {
                drawing = false;
                continue;
            }
            if (from > 0) {
                drawing = false;
            }
            // Where in the pattern the piece begins, worked out from the length walked alone, so that it is the same
            // for every area.
            qreal phase = std::fmod(startsAt + from + offset, period);
            if (phase < 0) {
                phase += period;
            }
            std::size_t part = 0;
            while (phase >= pattern[part]) {
                phase -= pattern[part];
                part = (part + 1) % pattern.size();
            }
            qreal left = pattern[part] - phase; // of the current dash or gap
            qreal at = from;
            const auto pointAt = [&](qreal along) { return along == 0 ? a : a + (b - a) * (along / length); };
            if (part % 2 == 0 && !drawing) {
                out.moveTo(pointAt(from));
            }
            drawing = part % 2 == 0;
            while (to - at >= left) {
                at += left;
                if (drawing) {
                    out.lineTo(pointAt(at));
                } else {
                    out.moveTo(pointAt(at));
                }
                part = (part + 1) % pattern.size();
                drawing = part % 2 == 0;
                left = pattern[part];
            }
            if (drawing) {
                out.lineTo(to == length ? b : pointAt(to));
            }
            if (to < length) {
                drawing = false;
            }
        }
    }
    return out;
}

void LinkTiles::draw(QPainter &painter, const std::vector<Link> &links, const QRectF &area) {
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Link &link : links) {
        painter.setBrush(Qt::NoBrush);
        if (link.pen.style() == Qt::SolidLine) {
            painter.setPen(link.pen);
            painter.drawPath(link.path);
        } else {
            QPen solid = link.pen;
            solid.setStyle(Qt::SolidLine);
            painter.setPen(solid);
            const QTransform &device = painter.deviceTransform();
            painter.drawPath(dashes(link.path, link.pen, area, std::sqrt(std::abs(device.determinant()))));
        }
        painter.setPen(QPen(link.pen.color(), 1.5));
        painter.setBrush(Qt::white);
        for (const QPointF &end : {link.start, link.end}) {
            painter.drawEllipse(QRectF(end.x() - 4, end.y() - 4, 8, 8));
        }
    }
}

QImage LinkTiles::picture(const std::vector<Link> &links, const QRect &band, qreal pixelRatio) {
    QImage image(QSize(static_cast<int>(std::ceil(band.width() * pixelRatio)),
                       static_cast<int>(std::ceil(band.height() * pixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-band.topLeft());
    draw(painter, links, band);
    return image;
}

void LinkTiles::paint(QPainter &painter, const QRect &area, int left, int width) {
    // The pictures are made at the device's pixels per point (the screen's, or a picture's drawn larger).
    const QTransform &device = painter.deviceTransform();
    const qreal pixelRatio = device.m11();
    if (device.type() > QTransform::TxScale || device.m22() != pixelRatio || pixelRatio <= 0) {
        draw(painter, crossing(links_(), area), area); // turned or stretched: no picture fits
        return;
    }
    if (left != left_ || width != width_ || pixelRatio != pixelRatio_) {
        clear();
        left_ = left;
        width_ = width;
        pixelRatio_ = pixelRatio;
    }
    const int first = std::max(0, area.top()) / kBandHeight;
    const int last = std::max(0, area.bottom()) / kBandHeight;
    std::vector<Link> all;
    bool haveAll = false;
    for (int index = first; index <= last; ++index) {
        const auto [it, made] = bands_.try_emplace(index);
        Band &band = it->second;
        if (made) {
            band.ticket = nextTicket_++;
        }
        const QRect rect = bandRect(index, left, width);
        if (!band.fresh && !band.asked) {
            if (!haveAll) {
                all = links_();
                haveAll = true;
            }
            std::vector<Link> links = crossing(all, rect);
            if (links.size() <= kLinksPaintedAtOnce) {
                band.image = picture(links, rect, pixelRatio);
                band.fresh = true;
            } else {
                band.asked = true;
                const std::uint64_t ticket = band.ticket;
                for (Link &link : links) {
                    link.path = detached(link.path); // a path is read by one thread at a time
                }
                // The picture lands only while the tiles live.
                lanes_.post(BackgroundService::Lane::drawing,
                            [deliver = landings_->deliverer(), self = this, links = std::move(links), rect, pixelRatio,
                             index, ticket]() mutable {
                                QImage image = picture(links, rect, pixelRatio);
                                links.clear();
                                deliver([self, index, ticket, image = std::move(image), rect, pixelRatio] {
                                    self->take(index, ticket, image, rect, pixelRatio);
                                });
                            });
            }
        }
        if (!band.image.isNull()) {
            painter.drawImage(rect.topLeft(), band.image);
        }
    }
    // Pictures far from what shows go when there are many.
    if (bands_.size() > kKeptBands) {
        const int middle = (first + last) / 2;
        std::vector<int> far;
        for (const auto &[index, band] : bands_) {
            if (!band.asked) {
                far.push_back(index);
            }
        }
        std::sort(far.begin(), far.end(),
                  [middle](int a, int b) { return std::abs(a - middle) > std::abs(b - middle); });
        for (std::size_t i = 0; i < far.size() && bands_.size() > kKeptBands; ++i) {
            bands_.erase(far[i]);
        }
    }
}

void LinkTiles::take(int index, std::uint64_t ticket, QImage image, const QRect &rect, qreal pixelRatio) {
    const auto it = bands_.find(index);
    if (it == bands_.end() || rect != bandRect(index, left_, width_) || pixelRatio != pixelRatio_) {
        return;
    }
    Band &band = it->second;
    if (band.ticket == ticket) {
        band.asked = false;
        band.fresh = true;
    }
    // A picture painted before a later change is still closer to the links than the one shown.
    band.image = std::move(image);
    if (changed_) {
        changed_(rect);
    }
}

void LinkTiles::invalidate(const QRect &area) {
    for (auto &[index, band] : bands_) {
        if (area.isNull() || bandRect(index, left_, width_).intersects(area)) {
            band.ticket = nextTicket_++;
            band.fresh = false;
            band.asked = false;
        }
    }
}

void LinkTiles::clear() {
    // Workers still painting hand in pictures nobody asks for any more: their tickets are gone with the bands.
    bands_.clear();
}

bool LinkTiles::busy() const {
    return std::any_of(bands_.begin(), bands_.end(), [](const auto &entry) { return entry.second.asked; });
}

} // namespace tc
