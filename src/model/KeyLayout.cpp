#include "model/KeyLayout.h"

#include "model/KeyCodes.h"

namespace tc {

namespace {

using Kind = KeyDef::Kind;

using namespace KeyCodes;

KeyDef key(std::string id, std::optional<std::uint16_t> code, std::string label, double width, Kind kind,
           bool isShort = false) {
    return KeyDef{std::move(id), code, std::move(label), width, kind, isShort};
}

// A character key: id and label are the same text.
KeyDef character(std::string text, std::uint16_t code, double width = 1.0) {
    return key(text, code, text, width, Kind::character);
}

std::vector<std::vector<KeyDef>> makeRows() {
    std::vector<std::vector<KeyDef>> rows(6);

    auto &function = rows[0];
    function.push_back(key("esc", kEsc, "esc", 1.5, Kind::function, true));
    const std::uint16_t functionCodes[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
    for (int i = 0; i < 12; ++i) {
        const std::string name = "F" + std::to_string(i + 1);
        function.push_back(key(name, functionCodes[i], name, 1.0, Kind::function, true));
    }
    function.push_back(key("touch", std::nullopt, "", 1.5, Kind::decorative, true));

    auto &digits = rows[1];
    const std::pair<const char *, std::uint16_t> digitKeys[] = {{"`", 50}, {"1", 18}, {"2", 19}, {"3", 20}, {"4", 21},
                                                                {"5", 23}, {"6", 22}, {"7", 26}, {"8", 28}, {"9", 25},
                                                                {"0", 29}, {"-", 27}, {"=", 24}};
    for (const auto &[text, code] : digitKeys) {
        digits.push_back(character(text, code));
    }
    digits.push_back(key("delete", kDelete, "backspace", 2.0, Kind::wide));

    auto &top = rows[2];
    top.push_back(key("tab", kTab, "tab", 1.5, Kind::wide));
    const std::pair<const char *, std::uint16_t> topKeys[] = {{"Q", 12}, {"W", 13}, {"E", 14}, {"R", 15},
                                                              {"T", 17}, {"Y", 16}, {"U", 32}, {"I", 34},
                                                              {"O", 31}, {"P", 35}, {"[", 33}, {"]", 30}};
    for (const auto &[text, code] : topKeys) {
        top.push_back(character(text, code));
    }
    top.push_back(character("\\", 42, 1.5));

    auto &home = rows[3];
    home.push_back(key("caps", kCaps, "caps lock", 1.75, Kind::modifier));
    const std::pair<const char *, std::uint16_t> homeKeys[] = {{"A", 0},  {"S", 1},  {"D", 2},  {"F", 3},
                                                               {"G", 5},  {"H", 4},  {"J", 38}, {"K", 40},
                                                               {"L", 37}, {";", 41}, {"'", 39}};
    for (const auto &[text, code] : homeKeys) {
        home.push_back(character(text, code));
    }
    home.push_back(key("return", kReturn, "enter", 2.25, Kind::wide));

    auto &bottom = rows[4];
    bottom.push_back(key("shiftL", kShiftL, "shift", 2.25, Kind::modifier));
    const std::pair<const char *, std::uint16_t> bottomKeys[] = {{"Z", 6},  {"X", 7},  {"C", 8},  {"V", 9},  {"B", 11},
                                                                 {"N", 45}, {"M", 46}, {",", 43}, {".", 47}, {"/", 44}};
    for (const auto &[text, code] : bottomKeys) {
        bottom.push_back(character(text, code));
    }
    bottom.push_back(key("shiftR", kShiftR, "shift", 2.75, Kind::modifier));

    rows[5] = {
        key("fn", kFn, "fn", 1.0, Kind::modifier),      key("ctrl", kCtrl, "ctrl", 1.0, Kind::modifier),
        key("optL", kOptL, "alt", 1.0, Kind::modifier), key("cmdL", kCmdL, "super", 1.25, Kind::modifier),
        key("space", kSpace, "", 5.5, Kind::space),     key("cmdR", kCmdR, "super", 1.25, Kind::modifier),
        key("optR", kOptR, "alt", 1.0, Kind::modifier), key("left", kLeft, "←", 1.0, Kind::arrow),
        key("updown", kUpDown, "↑↓", 1.0, Kind::arrow), key("right", kRight, "→", 1.0, Kind::arrow),
    };
    return rows;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isWordSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Number of Unicode characters in UTF-8 text: every byte that does not continue a sequence starts one.
std::size_t characterCount(const std::string &text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

} // namespace

std::string KeyDef::displayName() const {
    if (id == "space") {
        return "Space";
    }
    if (id == "touch") {
        return "Touch ID";
    }
    if (characterCount(label) == 1) {
        return label;
    }
    // Capitalise word by word. Only ASCII letters change case: the layout's other labels are arrows,
    // which have no case, and multi-byte characters pass through untouched.
    std::string result = label;
    bool atWordStart = true;
    for (char &c : result) {
        if (isWordSeparator(c)) {
            atWordStart = true;
            continue;
        }
        if (isAsciiLetter(c)) {
            c = atWordStart ? static_cast<char>(c & ~0x20) : static_cast<char>(c | 0x20);
        }
        atWordStart = false;
    }
    return result;
}

const std::vector<std::vector<KeyDef>> &KeyLayout::rows() {
    static const std::vector<std::vector<KeyDef>> kTable = makeRows();
    return kTable;
}

const std::vector<KeyDef> &KeyLayout::allKeys() {
    static const std::vector<KeyDef> kTable = [] {
        std::vector<KeyDef> keys;
        for (const auto &row : rows()) {
            keys.insert(keys.end(), row.begin(), row.end());
        }
        return keys;
    }();
    return kTable;
}

const std::unordered_map<std::uint16_t, KeyDef> &KeyLayout::byCode() {
    static const std::unordered_map<std::uint16_t, KeyDef> kTable = [] {
        std::unordered_map<std::uint16_t, KeyDef> map;
        for (const auto &keyDef : allKeys()) {
            if (keyDef.code) {
                map.insert_or_assign(*keyDef.code, keyDef);
            }
        }
        // The down arrow lights and plays the shared up/down key; right Control counts as Control.
        for (const auto &[alias, target] : {std::pair{kDown, kUpDown}, std::pair{kCtrlR, kCtrl}}) {
            if (const auto it = map.find(target); it != map.end()) {
                map.insert_or_assign(alias, KeyDef(it->second));
            } else {
                map.erase(alias);
            }
        }
        return map;
    }();
    return kTable;
}

const std::unordered_map<std::uint16_t, float> &KeyLayout::panPosition() {
    static const std::unordered_map<std::uint16_t, float> kTable = [] {
        std::unordered_map<std::uint16_t, float> map;
        for (const auto &row : rows()) {
            double rowWidth = 0.0;
            for (const auto &keyDef : row) {
                rowWidth += keyDef.width;
            }
            double x = 0.0;
            for (const auto &keyDef : row) {
                if (keyDef.code) {
                    map[*keyDef.code] = static_cast<float>((x + keyDef.width * 0.5) / rowWidth);
                }
                x += keyDef.width; // keys without a code still take their room
            }
        }
        // Only the down arrow shares a position; right Control and keypad Enter stay at the centre.
        if (const auto it = map.find(kUpDown); it != map.end()) {
            map[kDown] = it->second;
        }
        return map;
    }();
    return kTable;
}

std::string KeyLayout::label(std::uint16_t code) {
    const auto &table = byCode();
    const auto it = table.find(code);
    if (it == table.end()) {
        return "key " + std::to_string(code);
    }
    if (code == kDown) {
        return "↓";
    }
    if (code == kUpDown) {
        return "↑";
    }
    return it->second.displayName();
}

} // namespace tc
