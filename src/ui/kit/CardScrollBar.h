#pragma once

#include <QRect>
#include <QtGlobal>

class QAbstractScrollArea;
class QWidget;

namespace tc::CardScrollBar {

// The bar's width and its gap to the card's edge, in pixels.
inline constexpr int kWidth = 10;
inline constexpr int kEdgeGap = 2;

// How far from a rounded corner of `radius` (the program's continuous corners) a bar kWidth wide, kEdgeGap from
// the card's side, must end to lie wholly inside the card.
int cornerInset(qreal radius);

// Gives a scroll area that lies inside a rounded card the program's slim vertical bar (a rounded thumb, no
// arrows), kept inside the card's rounded edge: each end of the bar that meets one of the card's rounded
// corners (the area flush with the card's top or bottom edge there) stops cornerInset() short of it.
void fit(QAbstractScrollArea *area, qreal radius, bool roundedTop, bool roundedBottom);

// Keeps what the area shows inside the card's rounded edge: rows scrolled into a rounded corner are cut along
// the corner instead of squaring it. For an area that lies on `card` (a rounded rectangle of `radius` filling
// the card's rectangle); follows every resize of the area's viewport.
void clipToCard(QAbstractScrollArea *area, QWidget *card, qreal radius);

// Where the bar's thumb lies in `card`'s coordinates at the bar's top (`atEnd` false) or bottom; an empty
// rectangle while the bar is hidden.
QRect thumbIn(const QAbstractScrollArea *area, const QWidget *card, bool atEnd);

} // namespace tc::CardScrollBar
