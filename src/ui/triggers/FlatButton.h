#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QString>
#include <functional>
#include <string>

namespace tc {

// A plain-style button that paints itself with a function of its rectangle and pressed state: the segments of
// the trigger screen's switches, its add buttons, the "+ App" menu button and the capture area.
class FlatButton : public QAbstractButton {
public:
    using Painter = std::function<void(QPainter &painter, const QRectF &rect, bool pressed)>;

    FlatButton(QSize size, Painter paint, QWidget *parent = nullptr);

    void setPainter(Painter paint);
    void setFixedHint(QSize size);

    // The width of a label made of an optional symbol and a title, with `padding` either side.
    static qreal labelWidth(const std::string &symbol, const QString &title, const QFont &font, qreal padding);
    // Paints such a label centred in `rect`.
    static void paintLabel(QPainter &painter, const QRectF &rect, const std::string &symbol, const QString &title,
                           const QFont &font, const QColor &color);

    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize size_;
    Painter paint_;
};

} // namespace tc
