#pragma once

#include "model/SoundItem.h"

#include <QAbstractButton>
#include <QWidget>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QLabel;
class QScrollArea;
class QSpacerItem;
class QVBoxLayout;

namespace tc {

class AppModel;
class SoundLibraryRow;
class SoundRowPool;
class SoundsScreenState;

// A category filter: the title (after a 10 by 10 swatch of the category's palette; "All" has none) in
// 12-pixel semibold, 14 in from either side, 32 high, on a capsule: white on Theme.ink when selected, else
// Theme.ink on Theme.panel.
class CategoryFilterChip : public QAbstractButton {
    Q_OBJECT
public:
    CategoryFilterChip(std::optional<SoundCategory> category, const QString &title, QWidget *parent = nullptr);

    const std::optional<SoundCategory> &category() const { return category_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<SoundCategory> category_;
};

// The library of every sound on the Sounds screen: the category chips (with "Assign goes to …" while keys
// are selected in the keyboard editor), then the rows of the sounds that pass the filter and the search, or a
// line saying why there are none.
//
// A row is a widget only while it is near what the list shows, from the kit's item pool: rows of sounds that
// scroll out of view are bound to those that come in, so five hundred sounds cost what a screenful costs. Rows
// are kept per sound id and follow the model and the screen state in place: an edit of one sound changes that
// sound's row alone, and a new filter or search moves the rows it keeps. Main thread only.
class SoundLibraryPanel : public QWidget {
    Q_OBJECT
public:
    // The rows the list shows at least, however short the screen (the page scrolls then).
    static constexpr int kRowsAlwaysShown = 6;

    SoundLibraryPanel(AppModel &model, SoundsScreenState &state, QWidget *parent = nullptr);

    // The rows made now (those in or near view), top down.
    std::vector<SoundLibraryRow *> visibleRows() const;
    // The row of a sound that passes the filter and the search, scrolled into view (made now when it was not
    // yet); else null.
    SoundLibraryRow *rowFor(const std::string &id);
    // How many row widgets are made (those in or near view, and a few spares).
    std::size_t madeRows() const;
    // Scrolls the list, and the page around it, so that the row of a sound that passes the filter and the search
    // shows (a sound just imported); nothing for another sound.
    void showSound(const std::string &id);
    // The ids of the sounds that pass the filter and the search, top down.
    std::vector<std::string> shownIDs() const;
    const std::vector<CategoryFilterChip *> &chips() const { return chips_; }
    // The line shown when nothing passes; hidden otherwise.
    QLabel *emptyLabel() const { return empty_; }
    QScrollArea *scrollArea() const { return scroll_; }
    // "Assign goes to …"; hidden while no key is selected.
    QLabel *selectionLine() const { return selection_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class SoundRowPool;

    // Reads the catalogue again; rows whose sound changed are updated.
    void syncCatalogue();
    // Reads the user's sounds of `ids` again, each changed in place.
    void syncUserSounds(const std::vector<std::string> &ids);
    // Works out the sounds that pass; the rows stay with their sounds.
    void applyFilter();
    void refreshRows();
    void syncSelection();
    // Scrolls the list, and any page around it, to show `row` whole.
    void revealRow(SoundLibraryRow *row);

    AppModel &model_;
    SoundsScreenState &state_;
    std::vector<CategoryFilterChip *> chips_;
    QLabel *selection_;
    QScrollArea *scroll_;
    SoundRowPool *pool_;
    QVBoxLayout *list_;
    QSpacerItem *room_; // as tall as the rows that pass
    QLabel *empty_;
    std::vector<SoundItem> catalogue_; // every sound once, in catalogue order
    std::vector<SoundItem> shown_;     // those that pass the filter and the search
    std::unordered_map<std::string, std::size_t> shownIndex_;
};

} // namespace tc
