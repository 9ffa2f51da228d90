#pragma once

#include "model/SoundItem.h"
#include "ui/sounds/SoundPickerState.h"

#include <QAbstractButton>
#include <QRect>
#include <QWidget>
#include <array>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class QLayoutItem;
class QScrollArea;

namespace tc {

class AppModel;
class PickerCardPool;
class PickerSoundCard;

// The sound picker's Library tab: a 160-point column with the six categories (swatch, title, count of
// sounds) beside a scrolling grid of three columns with one card per sound of the state's category, in the
// model's catalogue order. A click on a category shows it; a click on a card chooses its sound and previews
// it; a card's play button only previews. A category without sounds offers "Record" and "Import" instead,
// which switch the picker's tab. The pane keeps no copy of the catalogue beyond the category shown: it reads
// the model again whenever the sounds or the category change, and moves the ring in place when the choice
// changes.
//
// A card is a widget only while it is near what the grid shows, from the kit's item pool: cards of sounds that
// scroll out of view are bound to those that come in. Cards are kept per sound id: an edit of one sound changes
// its card alone, and the cards that stay near the view through a change keep their widgets.
class PickerLibraryPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGridColumns = 3;

    PickerLibraryPane(AppModel &model, SoundPickerState &state, QWidget *parent = nullptr);

    // How many sounds of each category the catalogue holds, in category order.
    static std::array<int, 6> counts(const std::vector<SoundItem> &sounds);
    // The sounds of one category in catalogue order.
    static std::vector<SoundItem> soundsIn(const std::vector<SoundItem> &sounds, SoundCategory category);
    // Where the cards of a grid `width` wide go, for `count` sounds: the grid's own layout, three columns that
    // share the width (fewer sounds leave the later columns empty) with rows of cards 62 high, 10 apart.
    static std::vector<QRect> cells(int width, int count);

    QAbstractButton *categoryButton(SoundCategory category) const { return rows_.at(category); }
    int shownCount(SoundCategory category) const;
    // The cards made now (those in or near view), in grid order (empty while the empty state shows).
    std::vector<PickerSoundCard *> cards() const;
    // The ids of the category's sounds, in grid order.
    std::vector<std::string> shownIDs() const;
    // The card of a sound of the category shown, scrolled into view (made now when it was not yet); else null.
    PickerSoundCard *cardFor(const std::string &id);
    QScrollArea *scrollArea() const { return scroll_; }
    // The empty state's page and buttons (visible only for a category without sounds).
    QWidget *emptyState() const { return empty_; }
    QAbstractButton *emptyRecordButton() const { return emptyRecord_; }
    QAbstractButton *emptyImportButton() const { return emptyImport_; }

    // Gives keyboard focus to the chosen sound's card, else the first card; false when no card shows.
    bool focusChosenCard();

protected:
    // A card taking focus is scrolled into view.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class PickerCardPool;

    // Reads the catalogue again: the counts, the category's sounds, and the cards of those that changed.
    void syncSounds();
    void updateRings();
    void choose(const std::string &id);

    AppModel &model_;
    SoundPickerState &state_;
    std::map<SoundCategory, QAbstractButton *> rows_;
    std::array<int, 6> counts_{};
    QScrollArea *scroll_;
    PickerCardPool *grid_;
    QLayoutItem *room_; // as large as the grid of every card; owned by the grid's layout
    QWidget *empty_;
    QAbstractButton *emptyRecord_;
    QAbstractButton *emptyImport_;
    std::vector<SoundItem> shown_; // the category's sounds
    std::unordered_map<std::string, std::size_t> shownIndex_;
    std::vector<QRect> cells_; // where the cards go at the grid's width
};

} // namespace tc
