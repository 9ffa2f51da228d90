#pragma once

#include "model/SoundItem.h"
#include "ui/sounds/SoundPickerState.h"

#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <map>
#include <vector>

class QGridLayout;
class QScrollArea;

namespace tc {

class AppModel;
class PickerSoundCard;

// The sound picker's Library tab: a 160-point column with the six categories (swatch, title, count of
// sounds) beside a scrolling grid of three columns with one card per sound of the state's category, in the
// model's catalogue order. A click on a category shows it; a click on a card chooses its sound and previews
// it; a card's play button only previews. A category without sounds offers "Record" and "Import" instead,
// which switch the picker's tab. The pane keeps no copy of the catalogue: it reads the model again whenever
// the sounds or the category change, and moves the ring in place when the choice changes.
class PickerLibraryPane : public QWidget {
    Q_OBJECT
public:
    PickerLibraryPane(AppModel &model, SoundPickerState &state, QWidget *parent = nullptr);

    // How many sounds of each category the catalogue holds, in category order.
    static std::array<int, 6> counts(const std::vector<SoundItem> &sounds);
    // The sounds of one category in catalogue order.
    static std::vector<SoundItem> soundsIn(const std::vector<SoundItem> &sounds, SoundCategory category);

    QAbstractButton *categoryButton(SoundCategory category) const { return rows_.at(category); }
    int shownCount(SoundCategory category) const;
    // The cards shown now, in grid order (empty while the empty state shows).
    const std::vector<PickerSoundCard *> &cards() const { return cards_; }
    // The empty state's page and buttons (visible only for a category without sounds).
    QWidget *emptyState() const { return empty_; }
    QAbstractButton *emptyRecordButton() const { return emptyRecord_; }
    QAbstractButton *emptyImportButton() const { return emptyImport_; }

    // Gives keyboard focus to the chosen sound's card, else the first card; false when no card shows.
    bool focusChosenCard();

protected:
    // The arrow keys on a card move through the grid, and the selection follows as a click would; a card
    // taking focus is scrolled into view.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuild();
    void updateRings();
    void choose(const std::string &id);

    AppModel &model_;
    SoundPickerState &state_;
    std::map<SoundCategory, QAbstractButton *> rows_;
    std::array<int, 6> counts_{};
    QScrollArea *scroll_;
    QWidget *grid_;
    QGridLayout *gridLayout_;
    QWidget *empty_;
    QAbstractButton *emptyRecord_;
    QAbstractButton *emptyImport_;
    std::vector<PickerSoundCard *> cards_;
};

} // namespace tc
