// A scroll bar inside a rounded card ends where the card's rounded corner leaves room for it, and no sooner.

#include "ui/kit/CardScrollBar.h"
#include "ui/kit/Shapes.h"

#include <QPainterPath>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

TEST(CardScrollBar, EndsJustInsideTheRoundedCornerOfEachRadius) {
    for (const qreal radius : {8.0, 14.0, 18.0, 20.0, 24.0}) {
        SCOPED_TRACE(radius);
        const QRectF cardRect(0, 0, 400, 300);
        const QPainterPath card = continuousRoundedRect(cardRect, radius);
        const qreal outer = cardRect.right() - CardScrollBar::kEdgeGap;
        const qreal inner = outer - CardScrollBar::kWidth;
        const int inset = CardScrollBar::cornerInset(radius);
        EXPECT_TRUE(card.contains(QPointF(outer, inset)) && card.contains(QPointF(inner, inset)));
        EXPECT_FALSE(card.contains(QPointF(outer, inset - 1))) << "no further from the corner than it needs";
        // The same at the bottom corner.
        EXPECT_TRUE(card.contains(QPointF(outer, cardRect.bottom() - inset)));
        EXPECT_GT(inset, 0);
        EXPECT_LT(inset, 2 * radius);
    }
}

} // namespace
} // namespace tc::test
