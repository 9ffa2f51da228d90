#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tc {

// One key of the drawn keyboard. Codes are the document's virtual key codes (16-bit).
struct KeyDef {
    enum class Kind { character, modifier, function, space, wide, arrow, decorative };

    std::string id;                    // unique within the layout
    std::optional<std::uint16_t> code; // absent only for the decorative Touch ID key
    std::string label;                 // the legend on the cap (UTF-8); empty for Space and Touch ID
    double width = 1.0;                // in key units; a letter key is 1
    Kind kind = Kind::character;
    bool isShort = false; // in the function row, drawn less tall (`short` itself is a C++ keyword)

    // The key's name in running text: "Space", "Touch ID", a one-character label as it is, otherwise
    // the label with every word capitalised ("caps lock" gives "Caps Lock", "esc" gives "Esc").
    std::string displayName() const;

    friend bool operator==(const KeyDef &, const KeyDef &) = default;
};

// The program's one keyboard: six rows of a laptop keyboard with a Touch ID key, every row 15 key
// units wide, 77 keys of which 76 have a code. The up and down arrows share the key "updown" (126);
// the down arrow's own code 125 exists only as an alias in the lookups.
//
// Every table is built on first use, exactly once, safely from any thread (the keyboard thread reads
// panPosition, the views the rest), and never changes afterwards, so reading needs no lock.
struct KeyLayout {
    // Top to bottom, each row left to right.
    static const std::vector<std::vector<KeyDef>> &rows();
    // All rows joined in order: begins with esc, ends with the right arrow.
    static const std::vector<KeyDef> &allKeys();
    // Every key with a code under its code, plus the aliases 125 (down arrow) for "updown" and 62
    // (right Control) for "ctrl": 78 entries.
    static const std::unordered_map<std::uint16_t, KeyDef> &byCode();
    // Left-to-right position of each key's centre within its row, 0 (left edge) to 1 (right edge):
    // every key with a code plus 125 with the value of 126; nothing for 62, keypad Enter or others.
    static const std::unordered_map<std::uint16_t, float> &panPosition();
    // A short name for any key code: "↓" for 125, "↑" for 126, the key's displayName for other codes
    // of byCode, else "key " followed by the decimal code.
    static std::string label(std::uint16_t code);
};

} // namespace tc
