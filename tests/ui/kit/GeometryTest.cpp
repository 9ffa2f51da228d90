// The pure geometry of the painted views: what they draw where, without painting.

#include "support/QtTestApp.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/MascotLogo.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PillToggle.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Waveform.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using tc::KeyCap;

TEST(KeyCap, InsetsFollowWidthHeightAndPress) {
    struct Case {
        qreal width, height, press;
        qreal skirt, side, top, bottom, drop;
    };
    const Case cases[] = {
        {39, 39, 0, 5.85, 3, 2, 5.85, 0}, {40, 40, 0, 6, 4, 2, 6, 0}, {40, 10, 0, 3, 4, 2, 3, 0},
        {40, 10, 1, 3, 4, 1.5, 1.8, 1.5}, {60, 60, 0, 9, 4, 2, 9, 0}, {60, 60, 1, 9, 4, 4.5, 5.4, 1.5},
    };
    for (const Case &c : cases) {
        const KeyCap::Metrics g = KeyCap::metrics(c.width, c.height, 8, c.press);
        EXPECT_DOUBLE_EQ(g.skirt, c.skirt);
        EXPECT_DOUBLE_EQ(g.sideInset, c.side);
        EXPECT_DOUBLE_EQ(g.topInset, c.top);
        EXPECT_DOUBLE_EQ(g.bottomInset, c.bottom);
        EXPECT_DOUBLE_EQ(g.drop, c.drop);
        EXPECT_EQ(g.face, QRectF(c.side, c.top, c.width - 2 * c.side, c.height - c.top - c.bottom));
    }
}

TEST(KeyCap, ThePressedCapSinksWhileTheRingStaysAndTheShadowTightens) {
    const KeyCap::Metrics up = KeyCap::metrics(60, 60, 8, 0);
    const KeyCap::Metrics down = KeyCap::metrics(60, 60, 8, 1);
    EXPECT_EQ(up.ring, QRectF(-4, -4, 68, 68));
    EXPECT_EQ(down.ring, up.ring);
    EXPECT_DOUBLE_EQ(up.ringCorner, 11);
    EXPECT_DOUBLE_EQ(up.faceCorner, 6);
    EXPECT_NEAR(up.shadow.color.alphaF(), 0.22, 0.005);
    EXPECT_DOUBLE_EQ(up.shadow.radius, 2.5);
    EXPECT_EQ(up.shadow.offset, QPointF(0, 2));
    EXPECT_NEAR(down.shadow.color.alphaF(), 0.12, 0.005);
    EXPECT_DOUBLE_EQ(down.shadow.radius, 1);
    EXPECT_EQ(down.shadow.offset, QPointF(0, 0.5));
}

TEST(MiniCap, IsAFlattenedSquareWithLegendSizesFromItsWidth) {
    const tc::MiniCap::Metrics g = tc::MiniCap::metrics(30);
    EXPECT_DOUBLE_EQ(g.frame.width(), 30);
    EXPECT_NEAR(g.frame.height(), 28.2, 1e-9);
    EXPECT_NEAR(g.corner, 7.2, 1e-9);
    EXPECT_NEAR(g.symbolSize, 12.6, 1e-9);
    EXPECT_NEAR(g.textSize, 10.8, 1e-9);
    EXPECT_NEAR(g.legendLift, 1.5, 1e-9);
}

TEST(MiniCap, SoundBadgesFollowTheCategory) {
    struct Case {
        tc::SoundCategory category;
        const tc::CapPalette *palette;
        std::optional<std::string> symbol;
        std::optional<QString> text;
    };
    const Case cases[] = {
        {tc::SoundCategory::mechanical, &tc::CapPalette::white, std::nullopt, QStringLiteral("K")},
        {tc::SoundCategory::memes, &tc::CapPalette::yellow, "burst.fill", std::nullopt},
        {tc::SoundCategory::animals, &tc::CapPalette::blue, "pawprint.fill", std::nullopt},
        {tc::SoundCategory::retro, &tc::CapPalette::red, "gamecontroller.fill", std::nullopt},
        {tc::SoundCategory::everyday, &tc::CapPalette::green, "bell.fill", std::nullopt},
        {tc::SoundCategory::mine, &tc::CapPalette::black, "waveform", std::nullopt},
    };
    for (const Case &c : cases) {
        const tc::MiniCap::Content content = tc::MiniCap::forCategory(c.category);
        EXPECT_EQ(content.palette, *c.palette);
        EXPECT_EQ(content.symbol, c.symbol);
        EXPECT_EQ(content.text, c.text);
    }
}

TEST(DottedBackground, CountsTheDotsThatFitFromHalfASpacingIn) {
    struct Case {
        QSizeF size;
        qreal spacing;
        int columns, rows;
    };
    const Case cases[] = {
        {{400, 300}, 20, 20, 15}, {{400, 10}, 20, 20, 0}, {{10, 300}, 20, 0, 15},
        {{10.5, 10.5}, 20, 1, 1}, {{0, 0}, 20, 0, 0},     {{401, 301}, 20, 20, 15},
        {{411, 311}, 20, 21, 16}, {{5, 5}, 0, 5, 5}, // a spacing below 1 counts as 1
    };
    for (const Case &c : cases) {
        const tc::DottedBackground::Grid grid = tc::DottedBackground::grid(c.size, c.spacing);
        EXPECT_EQ(grid.columns, c.columns) << c.size.width();
        EXPECT_EQ(grid.rows, c.rows) << c.size.height();
    }
}

TEST(DottedBackground, DotsAre1_5PointsAcrossAndDoNotMoveWhenTheRegionGrows) {
    const QPainterPath small = tc::DottedBackground::dots(QSizeF(40, 40), 20);
    const QPainterPath large = tc::DottedBackground::dots(QSizeF(400, 300), 20);
    EXPECT_EQ(small.boundingRect(), QRectF(9.25, 9.25, 21.5, 21.5));
    EXPECT_TRUE(large.contains(QPointF(10, 10)));
    EXPECT_TRUE(large.contains(QPointF(390, 290)));
    EXPECT_FALSE(large.contains(QPointF(20, 20)));
    EXPECT_TRUE(tc::DottedBackground::dots(QSizeF(400, 9), 20).isEmpty());
}

TEST(DottedBackground, ARepaintOfAnAreaFillsTheDotsThatTouchItAndFewOthers) {
    const QSizeF size(400, 300);
    for (const QRectF &area : {QRectF(95, 45, 30, 12), QRectF(0, 0, 5, 5), QRectF(380, 280, 40, 40)}) {
        const QPainterPath part = tc::DottedBackground::dots(size, 20, area);
        int dots = 0;
        for (int row = 0; row < 15; ++row) {
            for (int column = 0; column < 20; ++column) {
                const QPointF centre(10 + column * 20, 10 + row * 20);
                const bool touches = QRectF(centre - QPointF(0.75, 0.75), QSizeF(1.5, 1.5)).intersects(area);
                const bool filled = part.contains(centre);
                dots += filled ? 1 : 0;
                if (touches) {
                    EXPECT_TRUE(filled) << row << " " << column;
                }
            }
        }
        EXPECT_LE(dots, 12);
    }
    // The whole area gives the whole grid.
    EXPECT_EQ(tc::DottedBackground::dots(size, 20, QRectF(QPointF(0, 0), size)), tc::DottedBackground::dots(size, 20));
}

TEST(DottedBackground, PaintsTheSamePixelsAsTheDotsFilledOneByOne) {
    // The widget copies one cell where cells are whole device pixels; every pixel must match the grid filled
    // dot by dot, at any pixel ratio, for the whole widget and for a repaint of part of it.
    struct Case {
        qreal spacing;
        qreal dpr;
        QRect area; // empty: the whole widget
    };
    const Case cases[] = {{20, 1, {}},
                          {20, 2, {}},
                          {7.5, 1, {}},
                          {7.5, 2, {}},
                          {20, 2, QRect(33, 17, 151, 97)},
                          {20, 1, QRect(0, 0, 10, 10)}};
    for (const Case &c : cases) {
        tc::test::qtApp();
        SCOPED_TRACE(testing::Message() << "spacing " << c.spacing << " ratio " << c.dpr);
        tc::DottedBackground widget(c.spacing);
        widget.resize(333, 211);
        const QSize pixels = (QSizeF(widget.size()) * c.dpr).toSize();
        QImage expected(pixels, QImage::Format_ARGB32_Premultiplied);
        expected.setDevicePixelRatio(c.dpr);
        expected.fill(Qt::red);
        {
            QPainter painter(&expected);
            tc::DottedBackground::paint(painter, QRectF(QPointF(0, 0), QSizeF(widget.size())), c.spacing);
        }
        QImage shown(pixels, QImage::Format_ARGB32_Premultiplied);
        shown.setDevicePixelRatio(c.dpr);
        shown.fill(Qt::red);
        const QRect area = c.area.isEmpty() ? widget.rect() : c.area;
        widget.render(&shown, area.topLeft(), QRegion(area)); // the area keeps its place
        const QRect inside(QPointF(area.topLeft()).toPoint() * c.dpr, (QSizeF(area.size()) * c.dpr).toSize());
        int wrong = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                wrong += shown.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(Shadow, ALongShadowIsTheBlurOfItsCornersWithTheMiddleRepeatedPixelForPixel) {
    tc::test::qtApp();
    // The program's corners and blurs, whole and fractional sizes, and pixel ratios that put the edges on
    // and between device pixels.
    const qreal corners[] = {0, 3.5, 8.38, 26};
    const qreal radii[] = {0.5, 2.5, 16, 28};
    const QSizeF sizes[] = {{40, 30}, {200, 60.5}, {876, 394.595}, {33.3, 300.7}, {12, 500}};
    for (const qreal dpr : {1.0, 1.5, 2.0}) {
        for (const qreal corner : corners) {
            for (const qreal radius : radii) {
                for (const QSizeF &size : sizes) {
                    const tc::Shadow shadow{QColor(0, 0, 0, 46), radius, QPointF(0, 6)};
                    const QImage image = shadow.image(size, corner, dpr);
                    ASSERT_EQ(image, shadow.wholeImage(size, corner, dpr))
                        << "dpr " << dpr << " corner " << corner << " radius " << radius << " size " << size.width()
                        << "x" << size.height();
                    EXPECT_EQ(image.devicePixelRatio(), dpr);
                }
            }
        }
    }
}

TEST(Waveform, FitsBarsAtAPitchOfBarWidthPlusTwo) {
    const std::pair<qreal, int> cases[] = {{100, 20}, {4, 1}, {0, 1}, {99.9, 19}, {-5, 1}};
    for (const auto &[width, bars] : cases) {
        EXPECT_EQ(tc::Waveform::barCount(width, 3), bars) << width;
    }
}

TEST(Waveform, ResamplesByTheNearestPeak) {
    std::vector<float> sixtyFour(64);
    for (size_t i = 0; i < sixtyFour.size(); ++i) {
        sixtyFour[i] = static_cast<float>(i);
    }
    struct Case {
        std::vector<float> peaks;
        int n;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {sixtyFour, 4, {0, 21, 42, 63}},
        {{0, 1, 2}, 5, {0, 1, 1, 2, 2}},
        {{0.3f, 0.7f}, 2, {0.3f, 0.7f}},
        {{0.4f}, 5, {0.4f, 0.4f, 0.4f, 0.4f, 0.4f}},
        {{0.1f, 0.9f, 0.5f}, 1, {0.1f}},
        {{}, 3, {0.05f, 0.05f, 0.05f}},
        {{}, 0, {}},
        {{0.5f}, 0, {}},
        {{0.5f}, -2, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(tc::Waveform::resample(c.peaks, c.n), c.expected);
    }
}

TEST(Waveform, BarsGrowFromTheMiddleAndAreNeverShorterThanThreePoints) {
    const std::vector<QRectF> silent = tc::Waveform::bars(std::vector<float>(10, 0.0f), QSizeF(100, 56), 3);
    ASSERT_EQ(silent.size(), 20u);
    for (const QRectF &bar : silent) {
        EXPECT_DOUBLE_EQ(bar.height(), 3);
        EXPECT_DOUBLE_EQ(bar.center().y(), 28);
    }
    EXPECT_EQ(silent[1], QRectF(5, 26.5, 3, 3));

    const std::vector<QRectF> half = tc::Waveform::bars({0.5f}, QSizeF(10, 56), 3);
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[0], QRectF(0, 14, 3, 28));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<QRectF> odd = tc::Waveform::bars({nan, 2.0f}, QSizeF(10, 20), 3);
    EXPECT_DOUBLE_EQ(odd[0].height(), 3);  // an unreadable peak draws the minimum
    EXPECT_DOUBLE_EQ(odd[1].height(), 40); // values above 1 are not clipped
}

TEST(PillToggle, TheKnobSitsTwoPointsInsideTheTrack) {
    const tc::PillToggle::Metrics off = tc::PillToggle::metrics(0);
    const tc::PillToggle::Metrics on = tc::PillToggle::metrics(1);
    EXPECT_EQ(off.track, QRectF(0, 0, 38, 22));
    EXPECT_EQ(off.knob, QRectF(2, 2, 18, 18));
    EXPECT_EQ(on.knob, QRectF(18, 2, 18, 18));
}

TEST(PlayButton, TheSymbolIsAThirdOfTheButton) {
    EXPECT_DOUBLE_EQ(tc::PlayButton::symbolSize(40), 12.8);
    EXPECT_DOUBLE_EQ(tc::PlayButton::symbolSize(24), 7.68);
}

TEST(MascotLogo, TwoUprightEyesCentredOnTheMark) {
    const auto eyes = tc::MascotLogo::eyes(100);
    EXPECT_EQ(eyes[0], QRectF(29, 33.5, 15, 33));
    EXPECT_EQ(eyes[1], QRectF(56, 33.5, 15, 33));
}

TEST(Shapes, ContinuousCornersStayInsideTheRectangleAndEaseIntoTheEdges) {
    const QRectF rect(10, 20, 100, 60);
    const QPainterPath path = tc::continuousRoundedRect(rect, 10);
    EXPECT_EQ(path.boundingRect(), rect);
    EXPECT_TRUE(path.contains(rect.center()));
    EXPECT_FALSE(path.contains(QPointF(11, 21)));  // the corner is cut away
    EXPECT_TRUE(path.contains(QPointF(60, 20.5))); // the edge is straight in the middle
    // A capsule keeps round ends.
    const QPainterPath pill = tc::capsule(QRectF(0, 0, 80, 20));
    EXPECT_EQ(pill.boundingRect(), QRectF(0, 0, 80, 20));
    EXPECT_TRUE(pill.contains(QPointF(10, 10)));
    EXPECT_FALSE(pill.contains(QPointF(1, 1)));
    EXPECT_TRUE(tc::continuousRoundedRect(QRectF(0, 0, 0, 10), 4).isEmpty());
}
