#include "engine/KeyTranslation.h"

#include "model/KeyCodes.h"
#include "model/Modifiers.h"

#include <array>
#include <utility>

namespace tc::KeyTranslation {

namespace {

// Linux key code (linux/input-event-codes.h) → virtual key code. The kernel names are in the comments.
// Keys of PC keyboards that have no key of their own in the virtual scheme take the code of the key at
// their place on a full-size keyboard: Print Screen, Scroll Lock and Pause are F13, F14 and F15, Insert is
// Help, Num Lock is the keypad's Clear key and the Menu key is the contextual-menu key.
constexpr std::pair<std::uint16_t, std::uint16_t> kCodeTable[] = {
    {1, 53},    // ESC
    {2, 18},    // 1
    {3, 19},    // 2
    {4, 20},    // 3
    {5, 21},    // 4
    {6, 23},    // 5
    {7, 22},    // 6
    {8, 26},    // 7
    {9, 28},    // 8
    {10, 25},   // 9
    {11, 29},   // 0
    {12, 27},   // MINUS
    {13, 24},   // EQUAL
    {14, 51},   // BACKSPACE → delete
    {15, 48},   // TAB
    {16, 12},   // Q
    {17, 13},   // W
    {18, 14},   // E
    {19, 15},   // R
    {20, 17},   // T
    {21, 16},   // Y
    {22, 32},   // U
    {23, 34},   // I
    {24, 31},   // O
    {25, 35},   // P
    {26, 33},   // LEFTBRACE
    {27, 30},   // RIGHTBRACE
    {28, 36},   // ENTER → return
    {29, 59},   // LEFTCTRL
    {30, 0},    // A
    {31, 1},    // S
    {32, 2},    // D
    {33, 3},    // F
    {34, 5},    // G
    {35, 4},    // H
    {36, 38},   // J
    {37, 40},   // K
    {38, 37},   // L
    {39, 41},   // SEMICOLON
    {40, 39},   // APOSTROPHE
    {41, 50},   // GRAVE
    {42, 56},   // LEFTSHIFT
    {43, 42},   // BACKSLASH
    {44, 6},    // Z
    {45, 7},    // X
    {46, 8},    // C
    {47, 9},    // V
    {48, 11},   // B
    {49, 45},   // N
    {50, 46},   // M
    {51, 43},   // COMMA
    {52, 47},   // DOT
    {53, 44},   // SLASH
    {54, 60},   // RIGHTSHIFT
    {55, 67},   // KPASTERISK
    {56, 58},   // LEFTALT → left option
    {57, 49},   // SPACE
    {58, 57},   // CAPSLOCK
    {59, 122},  // F1
    {60, 120},  // F2
    {61, 99},   // F3
    {62, 118},  // F4
    {63, 96},   // F5
    {64, 97},   // F6
    {65, 98},   // F7
    {66, 100},  // F8
    {67, 101},  // F9
    {68, 109},  // F10
    {69, 71},   // NUMLOCK → keypad clear
    {70, 107},  // SCROLLLOCK → F14
    {71, 89},   // KP7
    {72, 91},   // KP8
    {73, 92},   // KP9
    {74, 78},   // KPMINUS
    {75, 86},   // KP4
    {76, 87},   // KP5
    {77, 88},   // KP6
    {78, 69},   // KPPLUS
    {79, 83},   // KP1
    {80, 84},   // KP2
    {81, 85},   // KP3
    {82, 82},   // KP0
    {83, 65},   // KPDOT
    {86, 10},   // 102ND → ISO section key
    {87, 103},  // F11
    {88, 111},  // F12
    {89, 94},   // RO → JIS underscore
    {96, 76},   // KPENTER
    {97, 62},   // RIGHTCTRL
    {98, 75},   // KPSLASH
    {99, 105},  // SYSRQ (Print Screen) → F13
    {100, 61},  // RIGHTALT (AltGr) → right option
    {102, 115}, // HOME
    {103, 126}, // UP
    {104, 116}, // PAGEUP
    {105, 123}, // LEFT
    {106, 124}, // RIGHT
    {107, 119}, // END
    {108, 125}, // DOWN
    {109, 121}, // PAGEDOWN
    {110, 114}, // INSERT → help
    {111, 117}, // DELETE → forward delete
    {117, 81},  // KPEQUAL
    {119, 113}, // PAUSE → F15
    {121, 95},  // KPCOMMA → JIS keypad comma
    {122, 104}, // HANGEUL (the Kana key of JIS keyboards)
    {123, 102}, // HANJA (the Eisu key of JIS keyboards)
    {124, 93},  // YEN
    {125, 55},  // LEFTMETA (Super) → left command
    {126, 54},  // RIGHTMETA → right command
    {127, 110}, // COMPOSE (Menu) → contextual menu
    {183, 105}, // F13
    {184, 107}, // F14
    {185, 113}, // F15
    {186, 106}, // F16
    {187, 64},  // F17
    {188, 79},  // F18
    {189, 80},  // F19
    {190, 90},  // F20
    {464, 63},  // FN
};

constexpr std::uint16_t kNoCode = 0xFFFF;
constexpr std::size_t kTableSize = 512;

constexpr std::array<std::uint16_t, kTableSize> buildLookup() {
    std::array<std::uint16_t, kTableSize> table{};
    for (auto &entry : table) {
        entry = kNoCode;
    }
    for (auto [linuxCode, virtualCode] : kCodeTable) {
        table[linuxCode] = virtualCode;
    }
    return table;
}

constexpr std::array<std::uint16_t, kTableSize> kLookup = buildLookup();

struct ModifierKey {
    std::uint16_t code;
    std::uint64_t deviceMask;
    std::uint64_t flag;
};

// The modifier keys with their device-dependent bit and their device-independent flag.
constexpr ModifierKey kModifierKeys[] = {
    {KeyCodes::kShiftL, 0x2, Modifiers::kShift}, {KeyCodes::kShiftR, 0x4, Modifiers::kShift},
    {KeyCodes::kCtrl, 0x1, Modifiers::kControl}, {KeyCodes::kCtrlR, 0x2000, Modifiers::kControl},
    {KeyCodes::kOptL, 0x20, Modifiers::kOption}, {KeyCodes::kOptR, 0x40, Modifiers::kOption},
    {KeyCodes::kCmdL, 0x8, Modifiers::kCommand}, {KeyCodes::kCmdR, 0x10, Modifiers::kCommand},
    {KeyCodes::kFn, 0x800000, 0x800000},
};

const ModifierKey *findModifier(std::uint16_t virtualCode) {
    for (const auto &key : kModifierKeys) {
        if (key.code == virtualCode) {
            return &key;
        }
    }
    return nullptr;
}

} // namespace

std::optional<std::uint16_t> virtualKeyCode(std::uint16_t linuxCode) {
    if (linuxCode >= kTableSize || kLookup[linuxCode] == kNoCode) {
        return std::nullopt;
    }
    return kLookup[linuxCode];
}

std::uint64_t deviceModifierMask(std::uint16_t virtualCode) {
    const ModifierKey *key = findModifier(virtualCode);
    return key ? key->deviceMask : 0;
}

std::uint64_t modifierFlag(std::uint16_t virtualCode) {
    const ModifierKey *key = findModifier(virtualCode);
    return key ? key->flag : 0;
}

bool isModifierKey(std::uint16_t virtualCode) {
    return virtualCode == KeyCodes::kCaps || findModifier(virtualCode) != nullptr;
}

std::string_view truncateToUtf16Units(std::string_view utf8, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        std::size_t length = 0;
        if (lead < 0x80) {
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
        } else {
            break;
        }
        if (at + length > utf8.size()) {
            break;
        }
        bool wellFormed = true;
        for (std::size_t i = 1; i < length; ++i) {
            wellFormed = wellFormed && (static_cast<unsigned char>(utf8[at + i]) & 0xC0) == 0x80;
        }
        if (!wellFormed) {
            break;
        }
        const std::size_t needed = length == 4 ? 2 : 1; // beyond the BMP a code point takes a surrogate pair
        if (units + needed > maxUnits) {
            break;
        }
        units += needed;
        at += length;
    }
    return utf8.substr(0, at);
}

} // namespace tc::KeyTranslation
