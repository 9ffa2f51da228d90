#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tc {

// The word the user is typing, kept by the sound router to match word triggers: letters and numbers
// lower-cased and in Unicode's composed form (NFC), at most the last 32 characters (a character is a whole
// grapheme, so "e" with a combining accent counts once and is deleted at once, and is kept as "é").
//
// Thread: the keyboard thread only. Its storage is reserved up front, so ordinary typing never allocates.
class TypedWord {
public:
    static constexpr std::size_t kMaxCharacters = 32;

    TypedWord();

    // When the first grapheme of `characters` (UTF-8) is a letter or a number by its Unicode category, appends
    // it lower-cased and composed (NFC), drops characters from the front beyond kMaxCharacters and returns true.
    // Otherwise leaves the word as it is and returns false (also for empty or malformed text).
    bool appendIfWordCharacter(std::string_view characters);

    // A word as a word trigger stores it, by the same rule as typing builds it: each character (grapheme) that
    // begins with a letter or a number, lower-cased; everything else (spaces, punctuation, symbols) dropped.
    // Malformed UTF-8 ends the word at the first bad byte.
    static std::string cleaned(std::string_view text);

    // `text` (UTF-8) in Unicode's composed form (NFC), which typing gives the word whatever form the keyboard
    // sends; malformed text comes back as it is. (Allocates; for building configurations, not for the key path.)
    static std::string composed(std::string_view text);

    // The last kMaxCharacters characters of `word`, the whole word when it has no more: what typing the word
    // leaves in text(). (No allocation beyond the result; for building configurations, not for the key path.)
    static std::string lastCharacters(std::string_view word);

    // Removes the last character when there is one.
    void removeLast();

    void clear();

    bool empty() const { return count_ == 0; }
    std::size_t count() const { return count_; } // in characters
    // Whether characters were dropped from the front since the last clear(): the word typed is longer than
    // text() shows.
    bool outgrown() const { return outgrown_; }
    const std::string &text() const { return text_; }

private:
    // Room for one character's code points while it is composed.
    static constexpr std::size_t kScratchCodePoints = 64;

    std::string text_;                                      // UTF-8
    std::array<std::uint16_t, kMaxCharacters + 1> lengths_; // bytes of each character in text_, in order
    std::array<std::int32_t, kScratchCodePoints> scratch_;
    std::size_t count_ = 0;
    bool outgrown_ = false;
};

} // namespace tc
