#include "ui/kit/Waveform.h"

#include "ui/kit/Shapes.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal barSpacing = 2;
constexpr qreal minimumBar = 3;
constexpr float silentPeak = 0.05f;

} // namespace

Waveform::Waveform(std::vector<float> peaks, QColor color, QColor trimmedColor, qreal barWidth,
                   std::optional<double> progress, QWidget *parent)
    : QWidget(parent), peaks_(std::move(peaks)), color_(color), trimmedColor_(trimmedColor),
      barWidth_(std::max<qreal>(0.5, barWidth)), progress_(progress) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

int Waveform::barCount(qreal width, qreal barWidth) {
    const qreal pitch = barWidth + barSpacing;
    if (!(width > 0) || !(pitch > 0)) {
        return 1;
    }
    const qreal count = std::floor(width / pitch);
    return static_cast<int>(std::clamp<qreal>(count, 1, 100000));
}

std::vector<float> Waveform::resample(const std::vector<float> &peaks, int n) {
    n = std::max(0, n);
    if (peaks.empty()) {
        return std::vector<float>(static_cast<size_t>(n), silentPeak);
    }
    std::vector<float> values;
    values.reserve(static_cast<size_t>(n));
    const double last = static_cast<double>(peaks.size() - 1);
    const double steps = static_cast<double>(std::max(n, 2) - 1);
    for (int i = 0; i < n; ++i) {
        const auto index = static_cast<size_t>(std::round(i / steps * last)); // halves away from zero
        values.push_back(peaks[std::min(index, peaks.size() - 1)]);
    }
    return values;
}

std::vector<QRectF> Waveform::bars(const std::vector<float> &peaks, QSizeF size, qreal barWidth) {
    const std::vector<float> values = resample(peaks, barCount(size.width(), barWidth));
    std::vector<QRectF> rects;
    rects.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const float value = std::isfinite(values[i]) ? values[i] : 0.0f;
        const qreal height = std::max<qreal>(size.height() * value, minimumBar);
        rects.emplace_back(static_cast<qreal>(i) * (barWidth + barSpacing), (size.height() - height) / 2, barWidth,
                           height);
    }
    return rects;
}

void Waveform::setPeaks(std::vector<float> peaks) {
    peaks_ = std::move(peaks);
    update();
}

void Waveform::setColor(QColor color) {
    color_ = color;
    update();
}

void Waveform::setProgress(std::optional<double> progress) {
    progress_ = progress;
}

QSize Waveform::sizeHint() const {
    return {200, 56};
}

void Waveform::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    for (const QRectF &bar : bars(peaks_, QSizeF(size()), barWidth_)) {
        path.addPath(capsule(bar));
    }
    painter.fillPath(path, color_);
}

} // namespace tc
