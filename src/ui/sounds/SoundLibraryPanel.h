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
// A row is a widget only while it is near what the list shows: rows are made as they scroll into view (and a
// few ahead), and let go once they are far away, so five hundred sounds cost what a screenful costs. Rows are
// kept per sound id and follow the model and the screen state in place: an edit of one sound changes that
// sound's row alone, and a new filter or search moves the rows it keeps. Main thread only.
class SoundLibraryPanel : public QWidget {
    Q_OBJECT
public:
    // The rows the list shows at least, however short the screen (the page scrolls then).
    static constexpr int kRowsAlwaysShown = 6;
    // Rows are made this many rows ahead of what shows, either way, and let go beyond twice as many.
    static constexpr int kRowsAhead = 4;

    SoundLibraryPanel(AppModel &model, SoundsScreenState &state, QWidget *parent = nullptr);

    // The rows made now (those in or near view), top down.
    std::vector<SoundLibraryRow *> visibleRows() const;
    // The row of a sound that passes the filter and the search (made now when it was not yet; let go like any
    // other once the list scrolls far from it); else null.
    SoundLibraryRow *rowFor(const std::string &id);
    // How many rows are made.
    std::size_t madeRows() const { return rows_.size(); }
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
    // The list's viewport and content: a new size changes which rows are near and how wide they are.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the catalogue again; rows whose sound changed are updated.
    void syncCatalogue();
    // Reads the user's sounds of `ids` again, each changed in place.
    void syncUserSounds(const std::vector<std::string> &ids);
    // Works out the sounds that pass, lets go of the rows of those that no longer do and places the rest.
    void applyFilter();
    // Makes the rows near what shows and lets go of those far away.
    void makeVisibleRows();
    SoundLibraryRow *makeRow(std::size_t index);
    // Hides the rows and deletes them later.
    void letGo(const std::vector<SoundLibraryRow *> &rows);
    void placeRows();
    // Rows made late go in the Tab order after the chips, in list order.
    void chainRows();
    void refreshRows();
    void syncSelection();

    AppModel &model_;
    SoundsScreenState &state_;
    std::vector<CategoryFilterChip *> chips_;
    QLabel *selection_;
    QScrollArea *scroll_;
    QWidget *content_;
    QVBoxLayout *list_;
    QSpacerItem *room_; // as tall as the rows that pass
    QLabel *empty_;
    std::vector<SoundItem> catalogue_; // every sound once, in catalogue order
    std::vector<SoundItem> shown_;     // those that pass the filter and the search
    std::unordered_map<std::string, std::size_t> shownIndex_;
    std::unordered_map<std::string, SoundLibraryRow *> rows_; // the rows made, by sound id
    bool holdRows_ = false;                                   // while the list is changing, scrolling makes no rows
};

} // namespace tc
