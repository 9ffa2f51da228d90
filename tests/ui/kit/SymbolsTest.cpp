// The one table from symbol names to icon glyphs.

#include "ui/kit/Symbols.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/CategorySymbols.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"

#include <QFontMetrics>
#include <QRawFont>
#include <gtest/gtest.h>

TEST(Symbols, TheTableIsSortedAndNamesEachSymbolOnce) {
    const auto &table = tc::Symbols::table();
    ASSERT_FALSE(table.empty());
    for (size_t i = 1; i < table.size(); ++i) {
        EXPECT_LT(table[i - 1].name, table[i].name);
    }
    EXPECT_EQ(tc::Symbols::codePoint("play.fill"), std::optional<char32_t>(0xe037));
    EXPECT_FALSE(tc::Symbols::codePoint("no.such.symbol"));
    EXPECT_TRUE(tc::Symbols::text("no.such.symbol").isEmpty());
}

TEST(Symbols, EveryGlyphExistsInTheLoadedIconFont) {
    tc::test::shellApp();
    ASSERT_TRUE(tc::Fonts::load()) << "Inter, JetBrains Mono and Material Icons must be installed (scripts/setup)";
    const QRawFont font = QRawFont::fromFont(tc::Fonts::symbol(24));
    ASSERT_TRUE(font.isValid());
    EXPECT_EQ(font.familyName(), QStringLiteral("Material Icons"));
    for (const tc::Symbols::Entry &entry : tc::Symbols::table()) {
        EXPECT_TRUE(font.supportsCharacter(static_cast<uint>(entry.codePoint))) << entry.name;
    }
}

TEST(Symbols, TheSymbolsOfTheSoundBadgesAreInTheTable) {
    for (tc::SoundCategory category : tc::kAllSoundCategories) {
        const tc::MiniCap::Content content = tc::MiniCap::forCategory(category);
        if (content.symbol) {
            EXPECT_TRUE(tc::Symbols::codePoint(*content.symbol)) << *content.symbol;
        }
    }
}

// The keys of the drawn keyboard and the pack cards show the same symbol for every category but mechanical;
// badges and the inspector show none for mechanical.
TEST(CategorySymbols, KeysAndPackCardsDifferOnlyForMechanical) {
    struct Case {
        tc::SoundCategory category;
        const char *badge; // null: no symbol
        const char *key;
        const char *pack;
    };
    const Case cases[] = {
        {tc::SoundCategory::mechanical, nullptr, "music.note", "keyboard"},
        {tc::SoundCategory::memes, "burst.fill", "burst.fill", "burst.fill"},
        {tc::SoundCategory::animals, "pawprint.fill", "pawprint.fill", "pawprint.fill"},
        {tc::SoundCategory::retro, "gamecontroller.fill", "gamecontroller.fill", "gamecontroller.fill"},
        {tc::SoundCategory::everyday, "bell.fill", "bell.fill", "bell.fill"},
        {tc::SoundCategory::mine, "waveform", "waveform", "waveform"},
    };
    ASSERT_EQ(std::size(cases), tc::kAllSoundCategories.size());
    for (const Case &c : cases) {
        SCOPED_TRACE(tc::toString(c.category));
        EXPECT_STREQ(tc::CategorySymbols::badge(c.category), c.badge);
        EXPECT_STREQ(tc::CategorySymbols::key(c.category), c.key);
        EXPECT_STREQ(tc::CategorySymbols::pack(c.category), c.pack);
        EXPECT_TRUE(tc::Symbols::codePoint(c.key));
        EXPECT_TRUE(tc::Symbols::codePoint(c.pack));
    }
}

TEST(Fonts, TextAndMonospacedFacesAreTheLoadedOnesAtPixelSizes) {
    tc::test::shellApp();
    ASSERT_TRUE(tc::Fonts::load());
    const QFontInfo text(tc::Fonts::system(13, QFont::DemiBold));
    EXPECT_EQ(text.family(), QStringLiteral("Inter"));
    EXPECT_EQ(text.pixelSize(), 13);
    const QFontInfo mono(tc::Fonts::mono(11, QFont::Medium));
    EXPECT_EQ(mono.family(), QStringLiteral("JetBrains Mono"));
    EXPECT_TRUE(mono.fixedPitch());
    EXPECT_EQ(tc::Fonts::system(12.6).pixelSize(), 13); // fractional sizes round to whole pixels
}
