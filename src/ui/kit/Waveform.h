#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>
#include <optional>
#include <vector>

namespace tc {

// A sound's peaks drawn as a row of capsule bars, `barWidth` wide at a pitch of barWidth + 2, as many as fit
// the width; each bar is max(height × peak, 3) high, centred on the middle line. Every bar is drawn in
// `color`; `trimmedColor` and `progress` are kept for callers but not drawn.
class Waveform : public QWidget {
    Q_OBJECT
public:
    Waveform(std::vector<float> peaks, QColor color, QColor trimmedColor, qreal barWidth,
             std::optional<double> progress = std::nullopt, QWidget *parent = nullptr);

    // The number of bars across `width`: its whole part divided by the pitch, at least 1.
    static int barCount(qreal width, qreal barWidth);
    // `n` values picked from the peaks by nearest index (never averaged): the first value is the first peak,
    // for n ≥ 2 the last is the last peak. No peaks give n values of 0.05. Negative n counts as 0.
    static std::vector<float> resample(const std::vector<float> &peaks, int n);
    // The bars of a waveform of `size`, left to right.
    static std::vector<QRectF> bars(const std::vector<float> &peaks, QSizeF size, qreal barWidth);

    void setPeaks(std::vector<float> peaks);
    void setColor(QColor color);
    void setProgress(std::optional<double> progress);
    const std::vector<float> &peaks() const { return peaks_; }
    QColor trimmedColor() const { return trimmedColor_; }
    std::optional<double> progress() const { return progress_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<float> peaks_;
    QColor color_;
    QColor trimmedColor_;
    qreal barWidth_;
    std::optional<double> progress_;
};

} // namespace tc
