#pragma once

#include "model/SoundItem.h"

#include <QAbstractButton>
#include <QWidget>
#include <optional>
#include <vector>

class QLabel;
class QScrollArea;
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
// line saying why there are none. It follows the model and the screen state in place: rows are kept per
// sound and only shown, hidden, reordered, added or removed. Main thread only.
class SoundLibraryPanel : public QWidget {
    Q_OBJECT
public:
    // The rows the list shows at least, however short the screen (the page scrolls then).
    static constexpr int kRowsAlwaysShown = 6;

    SoundLibraryPanel(AppModel &model, SoundsScreenState &state, QWidget *parent = nullptr);

    // The rows shown now, top down.
    std::vector<SoundLibraryRow *> visibleRows() const;
    SoundLibraryRow *rowFor(const std::string &id) const;
    const std::vector<CategoryFilterChip *> &chips() const { return chips_; }
    // The line shown when nothing passes; hidden otherwise.
    QLabel *emptyLabel() const { return empty_; }
    QScrollArea *scrollArea() const { return scroll_; }
    // "Assign goes to …"; hidden while no key is selected.
    QLabel *selectionLine() const { return selection_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void syncRows();
    void applyFilter();
    void syncSelection();

    AppModel &model_;
    SoundsScreenState &state_;
    std::vector<CategoryFilterChip *> chips_;
    QLabel *selection_;
    QScrollArea *scroll_;
    QVBoxLayout *list_;
    std::vector<SoundLibraryRow *> rows_; // catalogue order
    QLabel *empty_;
};

} // namespace tc
