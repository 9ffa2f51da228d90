// The tray icon: which drawing each silence gets, and that the drawings differ where they should.

#include "app/shell/MenuBarIcon.h"
#include "app/shell/TrayIcon.h"
#include "support/QtTestApp.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using State = tc::MenuBarIcon::State;
using tc::Silence;

int alphaAt(const QImage &image, qreal x, qreal y) {
    const qreal dpr = image.devicePixelRatio();
    return qAlpha(image.pixel(static_cast<int>(x * dpr), static_cast<int>(y * dpr)));
}

} // namespace

TEST(MenuBarIcon, SilenceKindsMapToTheThreeDrawings) {
    EXPECT_EQ(tc::MenuBarIcon::state(std::nullopt), State::playing);
    const std::pair<Silence::Kind, State> cases[] = {
        {Silence::Kind::permission, State::silenced}, {Silence::Kind::off, State::off},
        {Silence::Kind::volume, State::silenced},     {Silence::Kind::macMuted, State::silenced},
        {Silence::Kind::app, State::silenced},        {Silence::Kind::mic, State::silenced},
        {Silence::Kind::password, State::silenced},   {Silence::Kind::quiet, State::silenced},
    };
    for (const auto &[kind, state] : cases) {
        EXPECT_EQ(tc::MenuBarIcon::state(Silence{kind, {}, {}, {}}), state);
    }
}

TEST(MenuBarIcon, DrawsOpenEyesClosedEyesAndASlash) {
    tc::test::qtApp();
    const QImage playing = tc::MenuBarIcon::image(State::playing, Qt::black, 4);
    const QImage off = tc::MenuBarIcon::image(State::off, Qt::black, 4);
    const QImage silenced = tc::MenuBarIcon::image(State::silenced, Qt::black, 4);
    for (const QImage *image : {&playing, &off, &silenced}) {
        EXPECT_EQ(image->size(), QSize(80, 64));
        EXPECT_EQ(alphaAt(*image, 0.2, 0.2), 0);   // outside the cap
        EXPECT_EQ(alphaAt(*image, 1.3, 8.0), 255); // the cap's left edge
    }
    // Playing: a solid cap with two slots cut out.
    EXPECT_EQ(alphaAt(playing, 3.5, 8.0), 255);
    EXPECT_EQ(alphaAt(playing, 7.6, 8.2), 0);
    EXPECT_EQ(alphaAt(playing, 12.6, 8.2), 0);
    // Off: an outline with flat bars and no upright eyes.
    EXPECT_EQ(alphaAt(off, 3.5, 5.0), 0);
    EXPECT_EQ(alphaAt(off, 7.2, 8.6), 255);
    EXPECT_EQ(alphaAt(off, 7.6, 5.8), 0);
    // Silenced: upright bars and a slash through the middle.
    EXPECT_EQ(alphaAt(silenced, 7.6, 6.0), 255);
    EXPECT_EQ(alphaAt(silenced, 10.0, 8.0), 255);
    EXPECT_EQ(alphaAt(silenced, 4.0, 12.0), 0);
}

TEST(MenuBarIcon, TheIconKeepsItsShapeAtTheSizesTraysAskFor) {
    tc::test::qtApp();
    const QIcon icon = tc::MenuBarIcon::icon(State::playing, Qt::white);
    EXPECT_TRUE(icon.isMask());
    for (int side : {16, 22, 24, 48}) {
        const QImage image = icon.pixmap(QSize(side, side)).toImage();
        ASSERT_FALSE(image.isNull());
        // 20 × 16 fitted into the square: full width, centred vertically.
        EXPECT_EQ(qAlpha(image.pixel(side / 2, 0)), 0) << side;
        EXPECT_GT(qAlpha(image.pixel(side / 2, side / 2 - side / 4)), 0) << side;
    }
}

TEST(TrayIcon, DrawsWhiteOnDarkPanelsAndInTheDesktopsTextColourWhereThePanelFollowsTheScheme) {
    const QColor text(30, 30, 30);
    const std::pair<const char *, QColor> cases[] = {
        {"GNOME", Qt::white}, {"ubuntu:GNOME", Qt::white},
        {"XFCE", Qt::white},  {"", Qt::white},
        {"KDE", text},        {"kde", text},
        {"MATE", text},       {"X-Cinnamon", Qt::white},
    };
    for (const auto &[desktop, ink] : cases) {
        EXPECT_EQ(tc::TrayIcon::inkFor(QString::fromLatin1(desktop), text), ink) << desktop;
    }
}
