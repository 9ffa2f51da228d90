#pragma once

#include "model/Profile.h"
#include "model/SoundItem.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QVBoxLayout;

namespace tc {

class AppModel;
class TrayCard;

// The card of sounds at hand under the inspector: the paint brush's sound first, then the sounds the active
// profile uses most, then a few fallbacks, at most four. A click makes a sound the brush and picks the paint
// tool; a row dragged onto a key of the keyboard assigns its sound there (the sound id as text/plain). "+"
// opens the sound picker for the brush; the link under the card opens the Sounds section. Main thread.
class SoundTray : public QWidget {
public:
    using SoundLookup = std::function<std::optional<SoundItem>(const std::string &)>;

    static constexpr int kMaxSounds = 4;
    static constexpr int kWidth = 330;

    // The fallbacks, in order.
    static const std::vector<std::string> &fallbacks();
    // The tray's sounds: the brush, then the profile's sounds by how many keys use them (equal counts in the
    // layout order of the first key that uses them, keys off the layout after those, by code), then the
    // fallbacks; each id once, only ids that name a sound, at most four.
    static std::vector<SoundItem> traySounds(const Profile &profile, const std::string &brushSoundID,
                                             const SoundLookup &sound);
    // "NEW", "1 KEY", "3 KEYS": how many keys of the profile play the sound.
    static QString uses(const Profile &profile, const std::string &soundID);

    explicit SoundTray(AppModel &model, QWidget *parent = nullptr);

    // The ids of the rows shown, in order.
    std::vector<std::string> shownIDs() const;
    // The row of a shown sound, or nullptr.
    QWidget *row(const std::string &soundID) const;
    QAbstractButton *addButton() const { return add_; }
    QAbstractButton *browseLink() const { return browse_; }
    // The row drawn as the active brush, if any.
    std::optional<std::string> activeRow() const;

private:
    void sync();

    AppModel &model_;
    TrayCard *card_;
    QWidget *rows_;
    QVBoxLayout *rowsLayout_;
    QAbstractButton *add_;
    QAbstractButton *browse_;
    std::vector<SoundItem> shown_;
    std::vector<QString> shownUses_;
};

} // namespace tc
