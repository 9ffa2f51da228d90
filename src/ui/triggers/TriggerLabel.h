#pragma once

#include "model/Trigger.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

namespace tc {

// What sets a trigger off, drawn: a shortcut as a row of white key caps (the held modifiers' names, then the
// key's name), a word in curly quotes. Small in graph nodes and list rows, big in the editor's capture area.
// It shows a copy of the trigger's kind and reads no model. Given less room than a word needs, the word is
// shortened with "…" and shows whole in the tooltip.
class TriggerLabel : public QWidget {
public:
    enum class Size { small, big };

    struct Metrics {
        qreal spacing = 0; // between key caps
        qreal capHeight = 0;
        qreal capCorner = 0;
        qreal wordPadding = 0; // either side of the word
        qreal wordHeight = 0;  // 0: as the text needs
        bool wordPill = false; // the word sits on a Theme.panel capsule
    };
    static Metrics metrics(Size size);
    static QFont capFont(Size size);
    static QFont wordFont(Size size);

    // The texts of the caps: modifier names in the order Ctrl, Alt, Shift, Super, then the key's name.
    static std::vector<QString> capTexts(const Trigger::Shortcut &shortcut);
    // A cap's width for its text: small max(8 × characters + 16, 30), big max(14 × characters + 24, 52),
    // where a character is one user-perceived character (⌫ counts once).
    static qreal capWidth(const QString &text, Size size);
    // The word as drawn: “word”.
    static QString wordText(const Trigger::Word &word);
    // The word as drawn in a label `width` wide (0: any width): “word”, or the word cut with "…" inside the
    // quotes where it does not fit.
    static QString wordText(const Trigger::Word &word, Size size, qreal width);
    // What a screen reader says for the label: "Shortcut Ctrl+Alt+K", "Word “lol”".
    static QString spokenText(const Trigger::Kind &kind);

    // Where each cap goes in a row starting at (0, 0).
    static std::vector<QRectF> capRects(const Trigger::Shortcut &shortcut, Size size);
    // The whole label's size.
    static QSizeF labelSize(const Trigger::Kind &kind, Size size);

    // Draws the label with its top-left corner at `origin`, at most `width` wide (0: its own width; a word is
    // shortened to fit).
    static void paint(QPainter &painter, QPointF origin, const Trigger::Kind &kind, Size size, qreal width = 0);

    TriggerLabel(Trigger::Kind kind, Size size, QWidget *parent = nullptr);

    void setKind(Trigger::Kind kind);
    void setSize(Size size);
    const Trigger::Kind &kind() const { return kind_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // A word shown shortened has its whole word (bounded) as the tooltip.
    void syncToolTip();

    Trigger::Kind kind_;
    Size size_;
};

} // namespace tc
