#include "ui/sounds/SoundPickerState.h"

namespace tc {

QString toString(SoundPickerTab tab) {
    switch (tab) {
    case SoundPickerTab::library:
        return QStringLiteral("Library");
    case SoundPickerTab::record:
        return QStringLiteral("Record");
    case SoundPickerTab::importFile:
        break;
    }
    return QStringLiteral("Import");
}

std::optional<SoundPickerTab> soundPickerTabFromString(const QString &text) {
    for (const auto tab : kAllSoundPickerTabs) {
        if (toString(tab) == text) {
            return tab;
        }
    }
    return std::nullopt;
}

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

void SoundPickerState::setTab(SoundPickerTab tab) {
    if (tab_ != tab) {
        tab_ = tab;
        emit tabChanged();
    }
}

void SoundPickerState::setCategory(SoundCategory category) {
    if (category_ != category) {
        category_ = category;
        emit categoryChanged();
    }
}

void SoundPickerState::setChosen(std::optional<std::string> id) {
    if (chosen_ != id) {
        chosen_ = std::move(id);
        emit chosenChanged();
    }
}

void SoundPickerState::setErrorText(std::optional<QString> text) {
    if (errorText_ != text) {
        errorText_ = std::move(text);
        emit errorTextChanged();
    }
}

void SoundPickerState::setDropTargeted(bool targeted) {
    if (dropTargeted_ != targeted) {
        dropTargeted_ = targeted;
        emit dropTargetedChanged();
    }
}

} // namespace tc
