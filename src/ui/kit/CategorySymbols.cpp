#include "ui/kit/CategorySymbols.h"

namespace tc::CategorySymbols {

const char *badge(SoundCategory category) {
    switch (category) {
    case SoundCategory::mechanical:
        return nullptr;
    case SoundCategory::memes:
        return "burst.fill";
    case SoundCategory::animals:
        return "pawprint.fill";
    case SoundCategory::retro:
        return "gamecontroller.fill";
    case SoundCategory::everyday:
        return "bell.fill";
    case SoundCategory::mine:
        return "waveform";
    }
    return nullptr;
}

const char *key(SoundCategory category) {
    const char *symbol = badge(category);
    return symbol ? symbol : "music.note";
}

const char *pack(SoundCategory category) {
    const char *symbol = badge(category);
    return symbol ? symbol : "keyboard";
}

} // namespace tc::CategorySymbols
