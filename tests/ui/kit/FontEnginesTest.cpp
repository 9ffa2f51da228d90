// Qt makes and caches a font engine for each font definition the program measures or draws with, and a cache
// grown past its budget keeps a trimming timer waking the idle program. These tests guard the places that could
// ask for many definitions: text fitted by shrinking, and the icon font asked for in many weights.

#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"

#include <QSet>
#include <cmath>
#include <gtest/gtest.h>

using namespace tc;

// A text's width at a pixel size: in proportion to the size, plus a fixed part (letter spacing, padding) and
// the whole-pixel rounding of hinted advances, which makes it only nearly proportional.
struct TextWidth {
    const char *name;
    qreal perPixel;
    qreal fixed;
    qreal jitter; // up to this much wider or narrower at some sizes
    qreal at(int size) const { return perPixel * size + fixed + jitter * std::sin(size * 1.7); }
};

TEST(FittingText, FindsTheLargestFittingSizeFromAFewMeasurements) {
    const TextWidth texts[] = {
        {"proportional", 9.0, 0, 0}, {"with spacing", 6.5, 14, 0}, {"hinted", 7.3, 0, 3}, {"long", 41.0, 2, 6}};
    constexpr int kFull = 44;
    constexpr int kSmallest = 18;
    for (const TextWidth &text : texts) {
        for (qreal width = 0; width < text.at(kFull) + 40; width += 7) {
            SCOPED_TRACE(std::string(text.name) + " in " + std::to_string(width));
            // What trying each size from the full one down would answer.
            std::optional<int> expected;
            for (int size = kFull; size >= kSmallest && !expected; --size) {
                if (text.at(size) <= width) {
                    expected = size;
                }
            }
            QSet<int> measured;
            const std::optional<int> size = FittingText::fittingSize(kFull, kSmallest, width, [&](int pixelSize) {
                measured.insert(pixelSize);
                return text.at(pixelSize);
            });
            EXPECT_EQ(size, expected);
            EXPECT_LE(measured.size(), 4) << "each size measured is a font engine of its own";
        }
    }
}

TEST(Fonts, TheIconFontOfOneSizeIsOneOfTwoDefinitionsWhateverTheWeight) {
    QSet<QString> definitions;
    for (const QFont::Weight weight :
         {QFont::Normal, QFont::Medium, QFont::DemiBold, QFont::Bold, QFont::ExtraBold, QFont::Black}) {
        definitions.insert(Fonts::symbol(16, weight).key());
    }
    EXPECT_EQ(definitions.size(), 2);
    EXPECT_NE(Fonts::symbol(16, QFont::Medium).key(), Fonts::symbol(16, QFont::Bold).key());
}
