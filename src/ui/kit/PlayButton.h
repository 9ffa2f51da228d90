#pragma once

#include <QAbstractButton>
#include <functional>

namespace tc {

// The round play button beside a sound: a white "play.fill" symbol of size × 0.32 on a Theme.ink circle of
// diameter `size`. It plays nothing itself: a click runs `action`, which beside a sound is the standard
// preview of that sound. Accessibility label "Play"; the circle is the hit area.
class PlayButton : public QAbstractButton {
    Q_OBJECT
public:
    PlayButton(qreal size, std::function<void()> action, QWidget *parent = nullptr);

    static qreal symbolSize(qreal size) { return size * 0.32; }
    static void paint(QPainter &painter, const QRectF &rect);

    void setAction(std::function<void()> action);
    qreal diameter() const { return size_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    qreal size_;
    std::function<void()> action_;
};

} // namespace tc
