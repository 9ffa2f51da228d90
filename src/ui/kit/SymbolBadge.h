#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <string>
#include <string_view>

class QLabel;

namespace tc {

// A symbol centred in a square `frame` points wide, on a circle filled `fill` (none when `fill` is
// transparent): the icon beside a silence, the tray panel's banner and the header's grid mark.
class SymbolBadge : public QWidget {
public:
    SymbolBadge(std::string_view symbol, qreal frame, qreal pixelSize, QColor color, QColor fill = Qt::transparent,
                QWidget *parent = nullptr, QFont::Weight weight = QFont::DemiBold);

    const std::string &symbol() const { return symbol_; }
    void setSymbol(std::string_view symbol);
    void setColors(QColor color, QColor fill);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::string symbol_;
    qreal frame_;
    qreal pixelSize_;
    QColor color_;
    QColor fill_;
    QFont::Weight weight_;
};

// A plain-text label in `font` and `color`.
QLabel *textLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent = nullptr);

} // namespace tc
