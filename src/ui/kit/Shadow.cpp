#include "ui/kit/Shadow.h"

#include "ui/kit/Shapes.h"

#include <QPainter>
#include <QPixmapCache>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace tc {

namespace {

// Three box blurs of these widths approximate a Gaussian of the given standard deviation.
std::array<int, 3> boxWidths(qreal sigma) {
    const qreal ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) {
        --lower;
    }
    const int upper = lower + 2;
    const qreal m = std::round((12 * sigma * sigma - 3 * lower * lower - 12 * lower - 9) / (-4 * lower - 4));
    std::array<int, 3> widths{};
    for (int i = 0; i < 3; ++i) {
        widths[static_cast<size_t>(i)] = std::max(1, i < m ? lower : upper);
    }
    return widths;
}

// One running-sum box blur of an 8-bit plane along rows (stride 1) or columns (stride = line length).
void boxBlur(std::vector<uchar> &plane, std::vector<uchar> &scratch, int width, int height, int box, bool rows) {
    const int radius = box / 2;
    if (radius <= 0) {
        return;
    }
    const int lines = rows ? height : width;
    const int length = rows ? width : height;
    const int step = rows ? 1 : width;
    const int norm = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        const int base = rows ? line * width : line;
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            if (i >= 0 && i < length) {
                sum += plane[static_cast<size_t>(base + i * step)];
            }
        }
        for (int i = 0; i < length; ++i) {
            scratch[static_cast<size_t>(base + i * step)] = static_cast<uchar>((sum + norm / 2) / norm);
            const int out = i - radius;
            const int in = i + radius + 1;
            if (out >= 0) {
                sum -= plane[static_cast<size_t>(base + out * step)];
            }
            if (in < length) {
                sum += plane[static_cast<size_t>(base + in * step)];
            }
        }
    }
    plane.swap(scratch);
}

// The blur's reach in device pixels: how far a pixel of the mask spreads.
int blurReach(qreal sigma) {
    int reach = 0;
    if (sigma > 0.3) {
        for (int box : boxWidths(sigma)) {
            reach += box / 2;
        }
    }
    return reach;
}

// The blurred shadow of the mask `width` by `height` device pixels that `paintMask` fills.
QImage blurred(int width, int height, qreal sigma, const QColor &color, qreal dpr,
               const std::function<void(QPainter &)> &paintMask) {
    QImage mask(width, height, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        paintMask(painter);
    }
    std::vector<uchar> plane(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        std::copy_n(mask.constScanLine(y), width, plane.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    std::vector<uchar> scratch(plane.size());
    if (sigma > 0.3) {
        for (int box : boxWidths(sigma)) {
            boxBlur(plane, scratch, width, height, box, true);
            boxBlur(plane, scratch, width, height, box, false);
        }
    }
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    const int alpha = color.alpha();
    for (int y = 0; y < height; ++y) {
        auto *out = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = plane[static_cast<size_t>(y) * width + x] * alpha / 255;
            out[x] = qRgba(color.red() * a / 255, color.green() * a / 255, color.blue() * a / 255, a);
        }
    }
    shadow.setDevicePixelRatio(dpr);
    return shadow;
}

} // namespace

QImage Shadow::wholeImage(QSizeF size, qreal corner, qreal dpr) const {
    const qreal sigma = radius / 2;
    const qreal pad = padding();
    const int width = static_cast<int>(std::ceil((size.width() + 2 * pad) * dpr));
    const int height = static_cast<int>(std::ceil((size.height() + 2 * pad) * dpr));
    return blurred(width, height, sigma * dpr, color, dpr, [&](QPainter &painter) {
        painter.scale(dpr, dpr);
        paintPanel(painter, QRectF(QPointF(pad, pad), size), corner, Qt::black);
    });
}

QImage Shadow::image(QSizeF size, qreal corner, qreal dpr) const {
    const qreal sigma = radius / 2;
    const qreal pad = padding();
    const int width = static_cast<int>(std::ceil((size.width() + 2 * pad) * dpr));
    const int height = static_cast<int>(std::ceil((size.height() + 2 * pad) * dpr));
    // Away from the corners every column of the shape is the same, and so is every column of its blur once the
    // blur cannot reach a corner; rows alike. So a long shadow is a short one, blurred, with its middle column
    // and row repeated: a card's shadow costs the blur of its corners, not of its whole area. `edge` device
    // pixels on each side hold the corner and what the blur spreads of it (with a pixel to spare).
    const int edge =
        static_cast<int>(std::ceil((pad + 1.53 * std::max<qreal>(0, corner)) * dpr)) + blurReach(sigma * dpr) + 2;
    const int extraX = std::max(0, width - (2 * edge + 1));
    const int extraY = std::max(0, height - (2 * edge + 1));
    if (extraX == 0 && extraY == 0) {
        return wholeImage(size, corner, dpr);
    }
    const int coreWidth = width - extraX;
    const int coreHeight = height - extraY;
    // The short shape is the long one with the middle left out: each quarter of the core is the long shape's
    // corner moved by whole device pixels, so it covers the same pixels the same way.
    const QImage core = blurred(coreWidth, coreHeight, sigma * dpr, color, dpr, [&](QPainter &painter) {
        // Columns 0 to `edge` and rows alike are the long shape's own; the rest are its far side moved in.
        const auto part = [edge](bool far, int extra, int length) {
            return extra == 0 ? std::pair(0, length)
                   : far      ? std::pair(edge + 1, length - edge - 1)
                              : std::pair(0, edge + 1);
        };
        for (const bool right : {false, true}) {
            for (const bool bottom : {false, true}) {
                if ((right && extraX == 0) || (bottom && extraY == 0)) {
                    continue;
                }
                const auto [left, across] = part(right, extraX, coreWidth);
                const auto [top, down] = part(bottom, extraY, coreHeight);
                painter.resetTransform(); // the clip is in device pixels
                painter.setClipRect(QRect(left, top, across, down));
                QTransform moved;
                moved.translate(right ? -extraX : 0, bottom ? -extraY : 0);
                moved.scale(dpr, dpr);
                painter.setTransform(moved);
                paintPanel(painter, QRectF(QPointF(pad, pad), size), corner, Qt::black);
            }
        }
    });
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        const int from = extraY == 0 || y <= edge ? y : (y <= edge + extraY ? edge : y - extraY);
        const auto *in = reinterpret_cast<const QRgb *>(core.constScanLine(from));
        auto *out = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        if (extraX == 0) {
            std::copy_n(in, width, out);
            continue;
        }
        std::copy_n(in, edge, out);
        std::fill_n(out + edge, extraX + 1, in[edge]);
        std::copy_n(in + edge + 1, coreWidth - edge - 1, out + edge + extraX + 1);
    }
    shadow.setDevicePixelRatio(dpr);
    return shadow;
}

qreal Shadow::padding() const {
    return std::ceil(radius / 2 * 3 + 1);
}

qreal Shadow::reach() const {
    return radius * 1.5 + std::max(std::abs(offset.x()), std::abs(offset.y())) + 1;
}

void paintShadow(QPainter &painter, const QRectF &rect, qreal corner, const Shadow &shadow) {
    if (rect.isEmpty() || shadow.color.alpha() == 0) {
        return;
    }
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal pad = shadow.padding();
    const QString key = QStringLiteral("tc.shadow:%1:%2:%3:%4:%5:%6")
                            .arg(rect.width())
                            .arg(rect.height())
                            .arg(corner)
                            .arg(shadow.radius)
                            .arg(shadow.color.rgba())
                            .arg(dpr);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(shadow.image(rect.size(), corner, dpr));
        QPixmapCache::insert(key, pixmap);
    }
    painter.drawPixmap(rect.topLeft() + shadow.offset - QPointF(pad, pad), pixmap);
}

ShadowEffect::ShadowEffect(std::vector<Shadow> shadows, qreal corner, QObject *parent)
    : QGraphicsEffect(parent), shadows_(std::move(shadows)), corner_(corner) {}

void ShadowEffect::setShadows(std::vector<Shadow> shadows) {
    shadows_ = std::move(shadows);
    updateBoundingRect();
    update();
}

void ShadowEffect::setCorner(qreal corner) {
    corner_ = corner;
    update();
}

void ShadowEffect::setShapeInsets(const QMarginsF &insets) {
    insets_ = insets;
    update();
}

QRectF ShadowEffect::boundingRectFor(const QRectF &sourceRect) const {
    qreal reach = 0;
    for (const Shadow &shadow : shadows_) {
        reach = std::max(reach, shadow.reach());
    }
    reach = std::ceil(reach);
    return sourceRect.adjusted(-reach, -reach, reach, reach);
}

void ShadowEffect::draw(QPainter *painter) {
    const QRectF shape = sourceBoundingRect(Qt::LogicalCoordinates).marginsRemoved(insets_);
    for (const Shadow &shadow : shadows_) {
        paintShadow(*painter, shape, corner_, shadow);
    }
    // Drawing the source straight into this painter would paint its child widgets with a second painter on the
    // same device, which Qt refuses; a pixmap of the source avoids that.
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->drawPixmap(offset, source);
    painter->restore();
}

} // namespace tc
