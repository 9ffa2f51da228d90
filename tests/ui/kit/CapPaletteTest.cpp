// Theme colours and cap palettes.

#include "ui/kit/CapPalette.h"
#include "ui/kit/Theme.h"

#include <gtest/gtest.h>

using tc::CapPalette;

TEST(CapPalette, PalettesAreToldApartBySwatchAndDarknessOnly) {
    EXPECT_NE(CapPalette::white, CapPalette::gray);
    CapPalette retinted = CapPalette::white;
    retinted.top = {QColor(1, 2, 3), QColor(4, 5, 6)};
    retinted.skirt = {Qt::red, Qt::blue};
    retinted.ink = Qt::green;
    EXPECT_EQ(retinted, CapPalette::white);
    retinted.dark = true;
    EXPECT_NE(retinted, CapPalette::white);
}

TEST(CapPalette, CategoriesAndProfileColoursNameTheirPresets) {
    const std::pair<tc::SoundCategory, const CapPalette *> categories[] = {
        {tc::SoundCategory::mechanical, &CapPalette::white}, {tc::SoundCategory::memes, &CapPalette::yellow},
        {tc::SoundCategory::animals, &CapPalette::blue},     {tc::SoundCategory::retro, &CapPalette::red},
        {tc::SoundCategory::everyday, &CapPalette::green},   {tc::SoundCategory::mine, &CapPalette::black},
    };
    for (const auto &[category, palette] : categories) {
        EXPECT_EQ(&CapPalette::forCategory(category), palette);
    }
    const std::pair<tc::ProfileColor, const CapPalette *> colours[] = {
        {tc::ProfileColor::white, &CapPalette::white}, {tc::ProfileColor::yellow, &CapPalette::yellow},
        {tc::ProfileColor::blue, &CapPalette::blue},   {tc::ProfileColor::red, &CapPalette::red},
        {tc::ProfileColor::black, &CapPalette::black}, {tc::ProfileColor::green, &CapPalette::green},
    };
    for (const auto &[colour, palette] : colours) {
        EXPECT_EQ(&CapPalette::forProfileColor(colour), palette);
    }
}

TEST(CapPalette, DarkCapsHaveWhiteLegendsAndTheSwatchesAreExact) {
    const CapPalette &mine = CapPalette::forCategory(tc::SoundCategory::mine);
    EXPECT_TRUE(mine.dark);
    EXPECT_EQ(mine.ink, QColor(Qt::white));
    EXPECT_EQ(CapPalette::forProfileColor(tc::ProfileColor::yellow).swatch, QColor(255, 194, 26));
    for (const CapPalette *palette : {&CapPalette::white, &CapPalette::gray, &CapPalette::yellow}) {
        EXPECT_FALSE(palette->dark);
        EXPECT_EQ(palette->ink, QColor(27, 27, 27));
    }
    for (const CapPalette *palette : {&CapPalette::blue, &CapPalette::red, &CapPalette::green, &CapPalette::black}) {
        EXPECT_TRUE(palette->dark);
    }
}

TEST(Theme, ColoursAreOpaqueSrgbConstants) {
    EXPECT_EQ(tc::Theme::ink, QColor(17, 17, 17));
    EXPECT_EQ(tc::Theme::orangeText, QColor(154, 58, 0));
    EXPECT_EQ(tc::Theme::canvas.alpha(), 255);
    EXPECT_NEAR(tc::Theme::withOpacity(tc::Theme::orange, 0.35).alphaF(), 0.35, 0.01);
    EXPECT_EQ(tc::Theme::withOpacity(tc::Theme::orange, 7).alpha(), 255);
}
