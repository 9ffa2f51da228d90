#pragma once

#include "model/Uuid.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tc {

// A sound played when the user presses a keyboard shortcut or finishes typing a word.
struct Trigger {
    // A key code with the modifier flags that must be held (only shift, control, option and command
    // are kept when recording, see model/Modifiers.h).
    struct Shortcut {
        std::uint16_t keyCode = 0;
        std::uint64_t modifiers = 0;
        friend bool operator==(const Shortcut &, const Shortcut &) = default;
    };

    // A word, stored lower-cased with only letters and digits (the word edit cleans what was typed).
    struct Word {
        std::string word;
        friend bool operator==(const Word &, const Word &) = default;
    };

    // What sets the trigger off: exactly one of a shortcut or a word. A shortcut never equals a word.
    class Kind {
    public:
        Kind(); // a shortcut of key code 0 without modifiers
        Kind(Shortcut shortcut) : value_(shortcut) {}
        Kind(Word word) : value_(std::move(word)) {}

        static Kind shortcut(std::uint16_t keyCode, std::uint64_t modifiers) { return Shortcut{keyCode, modifiers}; }
        static Kind word(std::string word) { return Word{std::move(word)}; }

        bool isShortcut() const { return std::holds_alternative<Shortcut>(value_); }
        bool isWord() const { return std::holds_alternative<Word>(value_); }
        // The payload, or nullptr when the kind is the other one.
        const Shortcut *asShortcut() const { return std::get_if<Shortcut>(&value_); }
        const Word *asWord() const { return std::get_if<Word>(&value_); }
        const std::variant<Shortcut, Word> &value() const { return value_; }

        friend bool operator==(const Kind &, const Kind &) = default;

    private:
        std::variant<Shortcut, Word> value_;
    };

    Uuid id;
    Kind kind;
    std::string soundID;
    std::vector<std::string> appBundleIDs; // the applications it is limited to; empty means every one
    bool enabled = true;

    friend bool operator==(const Trigger &, const Trigger &) = default;
};

// Defined after Trigger is complete: only then are the payloads' member initialisers usable.
inline Trigger::Kind::Kind() : value_(Shortcut{}) {}

} // namespace tc
