#include "ui/kit/Shadow.h"

#include "ui/kit/Shapes.h"

#include <QPainter>
#include <QPixmapCache>
#include <algorithm>
#include <array>
#include <cmath>

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

// The blurred shadow of a rounded rectangle of `size`, in device pixels, padded by `pad` points all round.
QImage blurredShape(QSizeF size, qreal corner, qreal sigma, const QColor &color, qreal dpr, qreal pad) {
    const int width = static_cast<int>(std::ceil((size.width() + 2 * pad) * dpr));
    const int height = static_cast<int>(std::ceil((size.height() + 2 * pad) * dpr));
    QImage mask(width, height, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(dpr, dpr);
        paintPanel(painter, QRectF(QPointF(pad, pad), size), corner, Qt::black);
    }
    std::vector<uchar> plane(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        std::copy_n(mask.constScanLine(y), width, plane.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    std::vector<uchar> scratch(plane.size());
    if (sigma * dpr > 0.3) {
        for (int box : boxWidths(sigma * dpr)) {
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

qreal Shadow::reach() const {
    return radius * 1.5 + std::max(std::abs(offset.x()), std::abs(offset.y())) + 1;
}

void paintShadow(QPainter &painter, const QRectF &rect, qreal corner, const Shadow &shadow) {
    if (rect.isEmpty() || shadow.color.alpha() == 0) {
        return;
    }
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal sigma = shadow.radius / 2;
    const qreal pad = std::ceil(sigma * 3 + 1);
    const QString key = QStringLiteral("tc.shadow:%1:%2:%3:%4:%5:%6")
                            .arg(rect.width())
                            .arg(rect.height())
                            .arg(corner)
                            .arg(shadow.radius)
                            .arg(shadow.color.rgba())
                            .arg(dpr);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(blurredShape(rect.size(), corner, sigma, shadow.color, dpr, pad));
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
