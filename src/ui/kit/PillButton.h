#pragma once

#include <QAbstractButton>
#include <QSizeF>

namespace tc {

// The main action of a place: white 13-point semibold text on a Theme.ink capsule of `height`, 16 points of
// padding either side; the fill drops to 80 % while pressed.
struct BlackPillButtonStyle {
    qreal height = 30;
};

// A secondary action: Theme.ink text on a white capsule with a 1-point Theme.border line inside its edge;
// the white fill drops to 70 % while pressed.
struct OutlinePillButtonStyle {
    qreal height = 30;
};

// A push button drawn in one of the two pill styles. The capsule is the hit area.
class PillButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { black, outline };

    PillButton(const QString &text, BlackPillButtonStyle style, QWidget *parent = nullptr);
    PillButton(const QString &text, OutlinePillButtonStyle style, QWidget *parent = nullptr);

    // The pill's size for a label: the label's width plus 32, by `height`.
    static QSizeF size(const QString &text, qreal height);
    // The capsule fill's opacity: black 1 (0.8 pressed), outline 1 (0.7 pressed).
    static qreal fillOpacity(Kind kind, bool pressed);
    static void paint(QPainter &painter, const QRectF &rect, Kind kind, const QString &text, bool pressed);

    Kind kind() const { return kind_; }
    qreal pillHeight() const { return height_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    PillButton(const QString &text, Kind kind, qreal height, QWidget *parent);

    Kind kind_;
    qreal height_;
};

} // namespace tc
