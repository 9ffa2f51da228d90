// The small parts of the panel and the header: count texts, text that shrinks to fit, the orange dial's
// geometry, the volume slider's geometry and the silence card's size.

#include "ui/ShellTestApp.h"
#include "ui/kit/CountText.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/OrangeDial.h"
#include "ui/shell/MenuBarParts.h"
#include "ui/shell/SilenceCard.h"

#include <QFontMetricsF>
#include <gtest/gtest.h>

namespace tc {
namespace {

TEST(CountText, OneTakesTheSingular) {
    const std::pair<std::int64_t, const char *> cases[] = {
        {0, "0 keys"}, {1, "1 key"}, {2, "2 keys"}, {11, "11 keys"}, {-1, "-1 keys"}};
    for (const auto &[count, text] : cases) {
        EXPECT_EQ(countText(count, "key", "keys"), QString(text));
    }
}

TEST(CountText, GroupsThousandsInEveryLocale) {
    EXPECT_EQ(groupedNumber(1234567, QLocale(QLocale::English)), QString("1,234,567"));
    EXPECT_EQ(groupedNumber(1234567, QLocale(QLocale::German)), QString("1.234.567"));
    EXPECT_EQ(groupedNumber(1234, QLocale::c()), QString("1,234"));
    EXPECT_EQ(groupedNumber(999, QLocale::c()), QString("999"));
}

TEST(FittingText, ShrinksDownToItsMinimumScaleThenCuts) {
    test::shellApp();
    const QFont font = Fonts::system(30, QFont::Black);
    const QString text = QStringLiteral("A rather long sound name");
    const qreal full = QFontMetricsF(font).horizontalAdvance(text);

    const FittingText::Fit roomy = FittingText::fit(text, font, full + 1, 0.5);
    EXPECT_EQ(roomy.pixelSize, 30);
    EXPECT_EQ(roomy.text, text);

    const FittingText::Fit tighter = FittingText::fit(text, font, full * 0.7, 0.5);
    EXPECT_LT(tighter.pixelSize, 30);
    EXPECT_GE(tighter.pixelSize, 15);
    EXPECT_FALSE(tighter.elided);

    const FittingText::Fit cut = FittingText::fit(text, font, full * 0.3, 0.5);
    EXPECT_EQ(cut.pixelSize, 15);
    EXPECT_TRUE(cut.elided);
    EXPECT_TRUE(cut.text.endsWith(QChar(0x2026)));
}

TEST(OrangeDial, TheHalfDiscRisesFromBelowTheBottomEdgeAndScalesWithTheWidth) {
    struct Case {
        QSizeF size;
        qreal top; // how far above the bottom edge the half-disc reaches
    };
    for (const Case c : {Case{{340, 230}, 132}, Case{{320, 150}, 124}, Case{{1000, 150}, 396}}) {
        const OrangeDial::Shapes s = OrangeDial::shapes(c.size);
        EXPECT_DOUBLE_EQ(s.centre.x(), c.size.width() / 2);
        EXPECT_DOUBLE_EQ(s.centre.y(), c.size.height() + 4);
        EXPECT_DOUBLE_EQ(s.radius, 0.4 * c.size.width());
        const QRectF disc = s.halfDisc.boundingRect();
        EXPECT_NEAR(c.size.height() - disc.top(), c.top, 0.01);
        EXPECT_NEAR(disc.bottom(), c.size.height() + 4, 0.01);
        EXPECT_NEAR(disc.width(), 0.8 * c.size.width(), 0.01);
        // The pointer runs from the leftmost point a third of the way up the arc: 60°, ending at x = centre −
        // r·cos 60°.
        const QRectF pointer = s.pointer.boundingRect();
        EXPECT_NEAR(pointer.left(), s.centre.x() - s.radius, 0.01);
        EXPECT_NEAR(pointer.right(), s.centre.x() - s.radius * 0.5, 0.1); // a Bézier approximation
    }
}

TEST(OrangeDial, IsExactlyItsHeightAndInsetsItsContent) {
    test::shellApp();
    auto *content = new QWidget;
    OrangeDial dial(150, content);
    dial.resize(320, 150);
    dial.show();
    EXPECT_EQ(dial.height(), 150);
    EXPECT_EQ(content->geometry(), QRect(20, 20, 280, 110));
}

TEST(VolumeSlider, PositionsMapToValuesAcrossTheTrack) {
    const qreal width = 216; // 200 points of travel
    const std::pair<qreal, int> cases[] = {{-5, 0}, {8, 0}, {108, 500}, {208, 1000}, {300, 1000}, {58, 250}};
    for (const auto &[x, value] : cases) {
        EXPECT_EQ(VolumeSlider::valueAt(x, width), value) << x;
    }
    EXPECT_EQ(VolumeSlider::knobRect(500, {width, 20}).center(), QPointF(108, 10));
    EXPECT_EQ(VolumeSlider::knobRect(0, {width, 20}).left(), 0);
    EXPECT_EQ(VolumeSlider::knobRect(1000, {width, 20}).right(), width);
}

TEST(SilenceCard, ALongTitleShrinksThenCutsAndTheCardStays150High) {
    test::shellApp();
    Silence silence{Silence::Kind::app,
                    QStringLiteral("Muted in A Very Long Application Name That Goes On And On Forever"),
                    QStringLiteral("An App rule keeps this app quiet."), QStringLiteral("Edit rules")};
    int fixes = 0;
    SilenceCard card(silence, [&] { ++fixes; });
    card.resize(320, 150);
    card.show();
    EXPECT_EQ(card.height(), 150);
    const FittingText::Fit fit = card.titleText()->currentFit();
    EXPECT_EQ(fit.pixelSize, std::ceil(26 * 0.6));
    EXPECT_TRUE(fit.elided);
    card.fixButton()->click();
    EXPECT_EQ(fixes, 1);
}

} // namespace
} // namespace tc
