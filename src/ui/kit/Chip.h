#pragma once

#include "ui/kit/CapPalette.h"

#include <QWidget>

namespace tc {

// A small coloured capsule label: the text in 12-pixel semibold palette.ink, 10 points in from either side,
// 26 high, on the palette's swatch with a black 0.08 line inside its edge.
class Chip : public QWidget {
    Q_OBJECT
public:
    Chip(const QString &text, const CapPalette &palette, QWidget *parent = nullptr);

    static QFont font();
    static QSizeF size(const QString &text);

    void setText(const QString &text);
    void setCapPalette(const CapPalette &palette);
    const QString &text() const { return text_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    CapPalette palette_;
};

} // namespace tc
