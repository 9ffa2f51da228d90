#pragma once

#include "model/SoundItem.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <string>

namespace tc {

// The sound picker's tabs, in the order the switcher shows them.
enum class SoundPickerTab { library, record, importFile };

inline constexpr std::array<SoundPickerTab, 3> kAllSoundPickerTabs = {SoundPickerTab::library, SoundPickerTab::record,
                                                                      SoundPickerTab::importFile};

// The tab's label, which is also its raw value: "Library", "Record", "Import".
QString toString(SoundPickerTab tab);
// The tab of a raw value; nothing for any other text.
std::optional<SoundPickerTab> soundPickerTabFromString(const QString &text);

// A category's title wherever a screen names it: "Mechanical", "Memes", "Animals", "Retro", "Everyday",
// "My sounds".
QString categoryTitle(SoundCategory category);

// What one sound picker sheet and its three panes share: the visible tab, the library's category, the chosen
// sound, the last import or recording error and whether a file drag hovers the import pane. A fresh picker
// starts on Library and Memes with nothing chosen. Setters signal only on a real change.
// Thread: the main thread.
class SoundPickerState : public QObject {
    Q_OBJECT
public:
    explicit SoundPickerState(QObject *parent = nullptr) : QObject(parent) {}

    SoundPickerTab tab() const { return tab_; }
    void setTab(SoundPickerTab tab);
    SoundCategory category() const { return category_; }
    void setCategory(SoundCategory category);
    const std::optional<std::string> &chosen() const { return chosen_; }
    void setChosen(std::optional<std::string> id);
    const std::optional<QString> &errorText() const { return errorText_; }
    void setErrorText(std::optional<QString> text);
    bool dropTargeted() const { return dropTargeted_; }
    void setDropTargeted(bool targeted);

signals:
    void tabChanged();
    void categoryChanged();
    void chosenChanged();
    void errorTextChanged();
    void dropTargetedChanged();

private:
    SoundPickerTab tab_ = SoundPickerTab::library;
    SoundCategory category_ = SoundCategory::memes;
    std::optional<std::string> chosen_;
    std::optional<QString> errorText_;
    bool dropTargeted_ = false;
};

} // namespace tc
