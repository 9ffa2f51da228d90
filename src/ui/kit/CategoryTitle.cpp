#include "ui/kit/CategoryTitle.h"

namespace tc {

QString categoryTitle(SoundCategory category) {
    switch (category) {
    case SoundCategory::mechanical:
        return QStringLiteral("Mechanical");
    case SoundCategory::memes:
        return QStringLiteral("Memes");
    case SoundCategory::animals:
        return QStringLiteral("Animals");
    case SoundCategory::retro:
        return QStringLiteral("Retro");
    case SoundCategory::everyday:
        return QStringLiteral("Everyday");
    case SoundCategory::mine:
        break;
    }
    return QStringLiteral("My sounds");
}

} // namespace tc
