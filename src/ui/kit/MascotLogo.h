#pragma once

#include <QRectF>
#include <QWidget>
#include <array>

namespace tc {

// The program's round mark: a Theme.ink circle `size` across with two white upright capsules for eyes
// (each size × 0.15 by size × 0.33, size × 0.12 apart, centred).
class MascotLogo : public QWidget {
    Q_OBJECT
public:
    explicit MascotLogo(qreal size, QWidget *parent = nullptr);

    static std::array<QRectF, 2> eyes(qreal size);
    static void paint(QPainter &painter, const QRectF &rect);

    // The whole mark drawn at this opacity (the notice panel dims it while sounds are silent).
    void setOpacity(qreal opacity);
    qreal opacity() const { return opacity_; }
    qreal logoSize() const { return size_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal size_;
    qreal opacity_ = 1.0;
};

} // namespace tc
