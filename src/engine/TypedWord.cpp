#include "engine/TypedWord.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <span>

namespace tc {

namespace {

// Room for the whole word without reallocating: a key produces at most four UTF-16 units, which is at most
// sixteen bytes of UTF-8 however they are lower-cased, and composing can at most triple the code points
// (a few letters have no composed form and come apart); the margin keeps the one overlong character
// appended before the front is trimmed.
constexpr std::size_t kReservedBytes = (TypedWord::kMaxCharacters + 1) * 48;

constexpr utf8proc_option_t kComposed = static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE);

bool isLetterOrNumber(utf8proc_int32_t codePoint) {
    switch (utf8proc_category(codePoint)) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
        return true;
    default:
        return false;
    }
}

// Decodes one code point at `offset`; returns its byte length, or a value below 1 at the end or on a
// malformed sequence.
utf8proc_ssize_t decode(std::string_view text, std::size_t offset, utf8proc_int32_t &codePoint) {
    if (offset >= text.size()) {
        return 0;
    }
    return utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t *>(text.data() + offset),
                            static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
}

// Rewrites text[from, end) in the composed form (NFC), with `scratch` for its code points; leaves it as it is
// when it does not fit there. Allocates nothing while the result fits the string's capacity.
void composeTail(std::string &text, std::size_t from, std::span<utf8proc_int32_t> scratch) {
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(text.data() + from);
    const auto size = static_cast<utf8proc_ssize_t>(text.size() - from);
    const auto capacity = static_cast<utf8proc_ssize_t>(scratch.size());
    const utf8proc_ssize_t decomposed =
        utf8proc_decompose_custom(bytes, size, scratch.data(), capacity, kComposed, nullptr, nullptr);
    if (decomposed < 0 || decomposed > capacity) {
        return;
    }
    const utf8proc_ssize_t count = utf8proc_normalize_utf32(scratch.data(), decomposed, kComposed);
    if (count < 0) {
        return;
    }
    text.resize(from);
    for (utf8proc_ssize_t i = 0; i < count; ++i) {
        utf8proc_uint8_t encoded[4];
        const utf8proc_ssize_t written = utf8proc_encode_char(scratch[static_cast<std::size_t>(i)], encoded);
        text.append(reinterpret_cast<const char *>(encoded), static_cast<std::size_t>(written));
    }
}

} // namespace

TypedWord::TypedWord() : lengths_{}, scratch_{} {
    text_.reserve(kReservedBytes);
}

bool TypedWord::appendIfWordCharacter(std::string_view characters) {
    utf8proc_int32_t codePoint = 0;
    utf8proc_ssize_t length = decode(characters, 0, codePoint);
    if (length < 1 || !isLetterOrNumber(codePoint)) {
        return false;
    }

    const std::size_t before = text_.size();
    utf8proc_int32_t graphemeState = 0;
    std::size_t offset = 0;
    while (true) {
        utf8proc_uint8_t encoded[4];
        const utf8proc_ssize_t written = utf8proc_encode_char(utf8proc_tolower(codePoint), encoded);
        text_.append(reinterpret_cast<const char *>(encoded), static_cast<std::size_t>(written));
        offset += static_cast<std::size_t>(length);

        utf8proc_int32_t nextCodePoint = 0;
        length = decode(characters, offset, nextCodePoint);
        if (length < 1 || utf8proc_grapheme_break_stateful(codePoint, nextCodePoint, &graphemeState)) {
            break;
        }
        codePoint = nextCodePoint;
    }
    // "é" typed as one code point or as "e" and a combining accent is the same letter: the word keeps it
    // composed, as trigger words are compared. (One byte is one ASCII letter or digit, composed already.)
    if (text_.size() - before > 1) {
        composeTail(text_, before, scratch_);
    }
    const std::size_t added = text_.size() - before;
    if (added > UINT16_MAX) { // only a hostile caller gets here; keep the length table truthful
        text_.resize(before);
        return false;
    }

    lengths_[count_++] = static_cast<std::uint16_t>(added);
    if (count_ > kMaxCharacters) {
        text_.erase(0, lengths_[0]);
        std::copy(lengths_.begin() + 1, lengths_.begin() + static_cast<std::ptrdiff_t>(count_), lengths_.begin());
        --count_;
        outgrown_ = true;
    }
    return true;
}

std::string TypedWord::cleaned(std::string_view text) {
    std::string word;
    std::size_t offset = 0;
    utf8proc_int32_t first = 0;
    for (utf8proc_ssize_t length = decode(text, 0, first); length >= 1;) {
        // The grapheme that begins at `offset` runs to `end`.
        std::size_t end = offset + static_cast<std::size_t>(length);
        utf8proc_int32_t previous = first;
        utf8proc_int32_t next = 0;
        utf8proc_int32_t graphemeState = 0;
        utf8proc_ssize_t nextLength = decode(text, end, next);
        while (nextLength >= 1 && !utf8proc_grapheme_break_stateful(previous, next, &graphemeState)) {
            end += static_cast<std::size_t>(nextLength);
            previous = next;
            nextLength = decode(text, end, next);
        }
        if (isLetterOrNumber(first)) {
            utf8proc_int32_t codePoint = 0;
            for (std::size_t at = offset; at < end;) {
                const utf8proc_ssize_t size = decode(text, at, codePoint);
                utf8proc_uint8_t encoded[4];
                const utf8proc_ssize_t written = utf8proc_encode_char(utf8proc_tolower(codePoint), encoded);
                word.append(reinterpret_cast<const char *>(encoded), static_cast<std::size_t>(written));
                at += static_cast<std::size_t>(size);
            }
        }
        offset = end;
        first = next;
        length = nextLength;
    }
    return word;
}

std::string TypedWord::composed(std::string_view text) {
    utf8proc_uint8_t *result = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(text.data()),
                                                 static_cast<utf8proc_ssize_t>(text.size()), &result, kComposed);
    if (length < 0) {
        return std::string(text);
    }
    std::string out(reinterpret_cast<const char *>(result), static_cast<std::size_t>(length));
    std::free(result);
    return out;
}

std::string TypedWord::lastCharacters(std::string_view word) {
    std::array<std::size_t, kMaxCharacters> starts{}; // where the last characters began, as a ring
    std::size_t count = 0;
    std::size_t offset = 0;
    utf8proc_int32_t previous = 0;
    utf8proc_int32_t graphemeState = 0;
    for (utf8proc_ssize_t length = decode(word, 0, previous); length >= 1;) {
        starts[count % kMaxCharacters] = offset;
        ++count;
        // The character runs on while no grapheme break follows.
        offset += static_cast<std::size_t>(length);
        utf8proc_int32_t next = 0;
        length = decode(word, offset, next);
        while (length >= 1 && !utf8proc_grapheme_break_stateful(previous, next, &graphemeState)) {
            previous = next;
            offset += static_cast<std::size_t>(length);
            length = decode(word, offset, next);
        }
        previous = next;
        graphemeState = 0;
    }
    if (count <= kMaxCharacters) {
        return std::string(word);
    }
    return std::string(word.substr(starts[count % kMaxCharacters]));
}

void TypedWord::removeLast() {
    if (count_ == 0) {
        return;
    }
    --count_;
    text_.resize(text_.size() - lengths_[count_]);
}

void TypedWord::clear() {
    text_.clear();
    count_ = 0;
    outgrown_ = false;
}

} // namespace tc
