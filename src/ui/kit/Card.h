#pragma once

#include <QWidget>
#include <vector>

#include "ui/kit/Shadow.h"

class QVBoxLayout;

namespace tc {

// The white panel with a soft shadow that the screens group their content on: the content padded by
// `padding` on every side on a rounded rectangle of radius `corner`, with a hairline shadow (black 0.05,
// radius 0.5) and a deep one ((30, 30, 25) at 0.12, radius 26, 18 points down) falling outside the card.
class Card : public QWidget {
    Q_OBJECT
public:
    Card(qreal padding, qreal corner, QWidget *content = nullptr, QWidget *parent = nullptr);

    static std::vector<Shadow> shadows();

    // Where the content goes (margins = padding).
    QVBoxLayout *contentLayout() const { return layout_; }
    qreal corner() const { return corner_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal corner_;
    QVBoxLayout *layout_;
};

// The lighter two-shadow look of a card drawn elsewhere: black at 0.05, radius 0.5, no offset; then
// (30, 30, 25) at 0.1, radius 16, 10 points down. Installs a shadow effect with corners of `corner` on the
// widget (replacing any effect it had).
void applyCardShadow(QWidget *widget, qreal corner);

} // namespace tc
