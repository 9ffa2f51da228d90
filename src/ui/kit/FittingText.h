#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace tc {

// One line of text that shrinks to fit its width, down to `minimumScale` of its font size, and is cut with an
// ellipsis below that; a cut line shows its whole text as a tooltip. Its height is that of the full-size font,
// so the line never changes the layout.
class FittingText : public QWidget {
public:
    FittingText(const QString &text, const QFont &font, const QColor &color, qreal minimumScale,
                Qt::Alignment alignment = Qt::AlignLeft, QWidget *parent = nullptr);

    // How a text is drawn in `width` points: the pixel size of the font and the text as drawn (elided when even
    // the smallest size does not fit).
    struct Fit {
        qreal pixelSize = 0;
        QString text;
        bool elided = false;
    };
    static Fit fit(const QString &text, const QFont &font, qreal width, qreal minimumScale);

    // The largest whole pixel size from `full` down to `smallest` at which a text `widthAt(size)` wide fits
    // `width`, or nothing when even `smallest` is too wide. Each size measured makes a font engine that Qt keeps
    // in its font cache, and a cache grown past its budget keeps a trimming timer waking the program; so the size
    // is estimated from the width at full size (a text's width grows nearly in proportion to its size) and
    // checked against its neighbours: a few sizes are measured, never each one in turn.
    static std::optional<int> fittingSize(int full, int smallest, qreal width,
                                          const std::function<qreal(int pixelSize)> &widthAt);

    void setText(const QString &text);
    void setColor(const QColor &color);
    const QString &text() const { return text_; }
    // The fit at the widget's current width.
    Fit currentFit() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Works the fit out for the current text and width (a long text is laid out once, not at every paint), and
    // makes the whole text the tooltip while the line is cut, none while it shows whole.
    void refit();

    QString text_;
    QFont font_;
    QColor color_;
    qreal minimumScale_;
    Qt::Alignment alignment_;
    Fit fit_;
    int fitWidth_ = -1; // the width fit_ was worked out for
};

} // namespace tc
