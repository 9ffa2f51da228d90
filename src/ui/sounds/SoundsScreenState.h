#pragma once

// Qt 6.4's moc cannot parse the standard library's concepts, which these headers bring in; moc needs nothing
// of them.
#ifndef Q_MOC_RUN
#include "app/AppTypes.h"
#include "model/Profile.h"
#endif
#include "model/SoundItem.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tc {

// The Sounds screen's own view state, shared by the screen, its packs row and its sound list: the category
// filter, the search text, whether a drag with files hovers over the screen, the message of a failed import
// and the user sound being renamed. Each field has its own change signal, sent only on a real change.
// The document is never copied here: the parts read the model.
//
// Also the screen's texts and rules as pure functions, so tests can call them without widgets.
// Main thread only; one per screen, made afresh each time the section is entered.
class SoundsScreenState : public QObject {
    Q_OBJECT
public:
    explicit SoundsScreenState(QObject *parent = nullptr) : QObject(parent) {}

    const std::optional<SoundCategory> &filter() const { return filter_; }
    void setFilter(std::optional<SoundCategory> filter);
    const QString &search() const { return search_; }
    void setSearch(const QString &search);
    bool dropTargeted() const { return dropTargeted_; }
    void setDropTargeted(bool targeted);
    // Present: the "Couldn't import" alert shows this message.
    const std::optional<QString> &errorText() const { return errorText_; }
    void setErrorText(std::optional<QString> text);
    // Present (always a user sound): the "Rename sound" alert edits `newName` for it.
    const std::optional<SoundItem> &renaming() const { return renaming_; }
    void setRenaming(std::optional<SoundItem> sound);
    const QString &newName() const { return newName_; }
    void setNewName(const QString &name);

    // --- Texts and rules -------------------------------------------------------------------------------

    // "63 sounds · 3 packs": the plural words whatever the numbers.
    static QString headerDetail(std::size_t soundCount, std::size_t profileCount);
    // The sounds the list shows, in catalogue order: of the filter's category (any without one) whose names
    // contain the search text ignoring case (all for an empty search; the text is used as typed).
    static std::vector<SoundItem> filtered(const std::vector<SoundItem> &sounds,
                                           const std::optional<SoundCategory> &filter, const QString &search);
    // The line of an empty list. "My sounds" without any user sound invites the first import; every other
    // empty list, "My sounds" with a search that matches none of them included, speaks of the search.
    static QString emptyText(const std::optional<SoundCategory> &filter, const QString &search, bool hasUserSounds);
    // The selected keys in a few words: one key's label in capitals, else "N keys".
    static QString selectionLabel(const KeySet &keys);
    // The help of a row's "Assign" button.
    static QString assignHelp(const KeySet &keys);
    // The keys cell of a row: the first four labels, two spaces apart.
    static QString keysText(const std::vector<std::string> &labels);
    // "0.25s".
    static QString durationText(double seconds);
    // The four category caps of a pack card: the distinct categories of its assigned keys' sounds (ids that
    // name no sound add nothing), sorted by name, filled up with mechanical ones. The base sound is not looked
    // at.
    static std::array<SoundCategory, 4>
    packCategories(const Profile &profile,
                   const std::function<std::optional<SoundItem>(const std::string &)> &soundForID);
    // "12 custom keys": the plural word whatever the number.
    static QString customKeysText(std::size_t count);

    // The message of one batch of imports: nothing when none failed; the one reason when one file failed.
    // When several did, a line per reason, stated once for the files that failed alike: the first
    // kNamesPerReason of their names (each cut at kNameCharacters), "and 12 more", the reason. Past
    // kReasonsTold reasons a last line counts the other files, so the alert stays a few lines high however many
    // files failed.
    static constexpr std::size_t kNamesPerReason = 3;
    static constexpr std::size_t kReasonsTold = 4;
    static constexpr qsizetype kNameCharacters = 80;
    struct Failure {
        QString fileName;
        QString reason;
    };
    static std::optional<QString> importErrorText(const std::vector<Failure> &failures);
    // What "Import" says while a batch of `total` files is read and `done` of them are through: "Importing…"
    // for one file, "Importing 2 of 5…" for several (the file being read now).
    static QString importingText(int done, int total);

signals:
    void filterChanged();
    void searchChanged();
    void dropTargetedChanged();
    void errorTextChanged();
    void renamingChanged();
    void newNameChanged();

private:
    std::optional<SoundCategory> filter_;
    QString search_;
    bool dropTargeted_ = false;
    std::optional<QString> errorText_;
    std::optional<SoundItem> renaming_;
    QString newName_;
};

} // namespace tc
