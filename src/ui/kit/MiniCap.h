#pragma once

#include "model/SoundItem.h"
#include "ui/kit/CapPalette.h"

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

namespace tc {

class ShadowEffect;

// The small square key-cap badge that stands for a sound, a sound category or a pack: `size` wide and
// size × 0.94 high, showing a symbol or, without one, a short text.
class MiniCap : public QWidget {
    Q_OBJECT
public:
    // What a badge shows.
    struct Content {
        CapPalette palette;
        std::optional<std::string> symbol; // a symbol name (see Symbols); wins over the text
        std::optional<QString> text;
    };

    struct Metrics {
        QSizeF frame;         // size × size·0.94
        qreal corner = 0;     // size × 0.24
        qreal symbolSize = 0; // size × 0.42 (bold)
        qreal textSize = 0;   // size × 0.36 (bold)
        qreal legendLift = 0; // the legend sits size × 0.05 above the centre
    };
    static Metrics metrics(qreal size);

    // The badge of a sound of this category: the category's palette and badge symbol (CategorySymbols::badge);
    // mechanical, which has no symbol there, shows "K" on white.
    static Content forCategory(SoundCategory category);

    // Paints a badge with its top-left corner at `origin`, with its shadow.
    static void paint(QPainter &painter, QPointF origin, qreal size, const Content &content);

    MiniCap(Content content, qreal size, QWidget *parent = nullptr);

    void setContent(Content content);
    const Content &content() const { return content_; }
    qreal capSize() const { return size_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Content content_;
    qreal size_;
};

// A sound's standard badge: a MiniCap of size 30 chosen by the sound's category.
MiniCap *cap(const SoundItem &sound, QWidget *parent = nullptr);

} // namespace tc
