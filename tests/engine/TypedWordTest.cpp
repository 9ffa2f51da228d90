#include "engine/TypedWord.h"

#include <gtest/gtest.h>

#include <string>

namespace tc {
namespace {

TEST(TypedWord, AppendsOnlyLettersAndNumbersLowerCased) {
    struct Case {
        const char *characters;
        bool appended;
        const char *word; // after appending to an empty word
    };
    const Case cases[] = {
        {"a", true, "a"},
        {"Q", true, "q"},
        {"\xC3\x89", true, "\xC3\xA9"},         // É → é
        {"\xCE\xA3", true, "\xCF\x83"},         // Σ → σ
        {"\xC8\xBA", true, "\xE2\xB1\xA5"},     // Ⱥ → ⱥ, which is one byte longer
        {"\xE6\x97\xA5", true, "\xE6\x97\xA5"}, // 日, a letter without case
        {"7", true, "7"},
        {"\xD9\xA3", true, "\xD9\xA3"},                      // Arabic-Indic three (Nd)
        {"\xE2\x85\xAB", true, "\xE2\x85\xBB"},              // Roman numeral twelve (Nl) lower-cased
        {"\xC2\xBD", true, "\xC2\xBD"},                      // ½ (No)
        {"e\xCC\x81", true, "\xC3\xA9"},                     // e + combining acute: one grapheme, kept composed as é
        {"E\xCC\x81", true, "\xC3\xA9"},                     // E + combining acute → é
        {"\xE1\x84\x80\xE1\x85\xA1", true, "\xEA\xB0\x80"},  // Hangul jamo ᄀ + ᅡ → 가
        {"a\xCC\x81\xCC\xA3", true, "\xE1\xBA\xA1\xCC\x81"}, // a + acute + dot below: marks reordered, ạ + acute
        {"ab", true, "a"},                                   // only the first character counts
        {"", false, ""},
        {" ", false, ""},
        {".", false, ""},
        {"\r", false, ""},
        {"\x7F", false, ""},
        {"\xCC\x81", false, ""},         // a lone combining mark is no letter
        {"\xF0\x9F\x99\x82", false, ""}, // 🙂
        {"\xFF"
         "a",
         false, ""},         // malformed UTF-8
        {"\xC3", false, ""}, // truncated sequence
    };
    for (const auto &c : cases) {
        TypedWord word;
        EXPECT_EQ(word.appendIfWordCharacter(c.characters), c.appended) << c.characters;
        EXPECT_EQ(word.text(), c.word) << c.characters;
        EXPECT_EQ(word.count(), c.appended ? 1u : 0u) << c.characters;
    }
}

TEST(TypedWord, KeepsTheLastThirtyTwoCharacters) {
    TypedWord word;
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHI"; // 35
    for (char c : letters) {
        word.appendIfWordCharacter(std::string(1, c));
    }
    EXPECT_EQ(word.count(), 32u);
    EXPECT_EQ(word.text(), "defghijklmnopqrstuvwxyzabcdefghi");

    // Multi-byte characters leave the front whole, never half a sequence.
    TypedWord accented;
    for (int i = 0; i < 33; ++i) {
        accented.appendIfWordCharacter(i == 0 ? "x" : "\xC3\x89");
    }
    EXPECT_EQ(accented.count(), 32u);
    std::string expected;
    for (int i = 0; i < 32; ++i) {
        expected += "\xC3\xA9";
    }
    EXPECT_EQ(accented.text(), expected);
}

TEST(TypedWord, SaysWhenTheWordTypedOutgrewWhatItKeepsAndGivesAWordsLastCharacters) {
    TypedWord word;
    const std::string letters = "abcdefghijklmnopqrstuvwxyzabcdef"; // 32: kept whole
    for (char c : letters) {
        word.appendIfWordCharacter(std::string(1, c));
    }
    EXPECT_FALSE(word.outgrown());
    EXPECT_EQ(TypedWord::lastCharacters(letters), letters);
    word.appendIfWordCharacter("g");
    EXPECT_TRUE(word.outgrown());
    EXPECT_EQ(TypedWord::lastCharacters(letters + "g"), word.text()); // what typing it leaves
    word.removeLast();
    EXPECT_TRUE(word.outgrown()); // its front is still gone
    word.clear();
    EXPECT_FALSE(word.outgrown());

    // By whole characters: an accent that combines with its letter counts once, as typing counts it.
    const std::string combined = "e\xCC\x81"; // e + combining acute
    std::string accented = "x";
    for (int i = 0; i < 32; ++i) {
        accented += combined;
    }
    std::string expected;
    for (int i = 0; i < 32; ++i) {
        expected += combined;
    }
    EXPECT_EQ(TypedWord::lastCharacters(accented), expected);
    EXPECT_EQ(TypedWord::lastCharacters(""), "");
}

TEST(TypedWord, RemoveLastTakesAWholeGraphemeAndStopsWhenEmpty) {
    TypedWord word;
    word.appendIfWordCharacter("a");
    word.appendIfWordCharacter("e\xCC\x81");
    word.removeLast();
    EXPECT_EQ(word.text(), "a");
    word.removeLast();
    word.removeLast();
    EXPECT_TRUE(word.empty());
    EXPECT_EQ(word.text(), "");
    word.appendIfWordCharacter("b");
    EXPECT_EQ(word.text(), "b");
    word.clear();
    EXPECT_TRUE(word.empty());
    EXPECT_EQ(word.text(), "");
}

} // namespace
} // namespace tc

namespace {

// A word trigger's word is cleaned by the rule that builds the typed word, so that what is stored can match.
TEST(TypedWordCleaned, KeepsLettersAndNumbersLowerCasedAndDropsTheRest) {
    const std::pair<const char *, const char *> rows[] = {
        {"LOL!", "lol"},
        {"  yay  ", "yay"},
        {"ship-it 2", "shipit2"},
        {"Straße", "straße"},
        {"ÉCOLE", "école"},
        {"cafe\xCC\x81", "cafe\xCC\x81"}, // e with a combining accent stays one character
        {"\xC2\xBD", "\xC2\xBD"},         // ½ is a number
        {"привет!", "привет"},
        {"!?., ", ""},
        {"", ""},
        {"ok\xFF"
         "no",
         "ok"}, // malformed text ends the word
    };
    for (const auto &[input, expected] : rows) {
        EXPECT_EQ(tc::TypedWord::cleaned(input), expected) << input;
    }
}

// The composed form (NFC) that typing keeps, for the words the configuration is built from.
TEST(TypedWordComposed, GivesTheComposedFormAndLeavesMalformedTextAsItIs) {
    const std::pair<std::string, std::string> rows[] = {
        {"cafe\xCC\x81", "caf\xC3\xA9"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"\xE1\x84\x80\xE1\x85\xA1", "\xEA\xB0\x80"},
        {"\xEF\xAC\x81", "\xEF\xAC\x81"}, // the ligature ﬁ is no canonical pair: it stays
        {"plain", "plain"},
        {"", ""},
        {"ok\xFF", "ok\xFF"},
    };
    for (const auto &[input, expected] : rows) {
        EXPECT_EQ(tc::TypedWord::composed(input), expected) << input;
    }
}

// Typing a cleaned word key by key builds the same text the trigger stores.
TEST(TypedWordCleaned, MatchesTheWordTypedKeyByKey) {
    for (const std::string text : {"Hello", "ÀBC123", "Ωmega"}) {
        tc::TypedWord typed;
        // Feed one code point at a time, as keys produce them.
        for (std::size_t i = 0; i < text.size();) {
            std::size_t length = 1;
            while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
                ++length;
            }
            typed.appendIfWordCharacter(std::string_view(text).substr(i, length));
            i += length;
        }
        EXPECT_EQ(typed.text(), tc::TypedWord::cleaned(text)) << text;
    }
}

} // namespace
