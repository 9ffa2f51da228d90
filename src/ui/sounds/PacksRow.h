#pragma once

#include "ui/kit/ItemPool.h"

#include <QAbstractButton>
#include <QWidget>
#include <optional>
#include <vector>

namespace tc {

class AppModel;
class ProfilePackCard;
struct ImportResult;
class SoundsScreenState;
struct SoundFilePanels;

// "Import a pack": a 190 by 176 tile with a dashed edge, the download symbol, its title and ".TAPCHIME FILE".
class ImportPackTile : public QAbstractButton {
    Q_OBJECT
public:
    explicit ImportPackTile(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The band of pack cards on the Sounds screen: one card per profile in document order, then the import tile.
// Only the cards in view are made (a document may hold hundreds of profiles), from a pool reused as the band
// scrolls. It follows the document in place: a profile's card changes only when that profile does, cards of
// new profiles appear, those of deleted ones go, the others stay (a card under the pointer is never rebuilt).
// A pack the tile cannot import sets the screen's error text. Main thread only; the model, the state and the
// panels must outlive it.
class PacksRow : public ItemPool {
    Q_OBJECT
public:
    // Between the cards, and the band's room around them.
    static constexpr int kSpacing = 16;
    static constexpr int kMarginX = 2;
    static constexpr int kMarginY = 6;

    PacksRow(AppModel &model, SoundsScreenState &state, const SoundFilePanels &panels, QWidget *parent = nullptr);

    // The cards made now (those in view and one either side), in document order.
    std::vector<ProfilePackCard *> cards() const;
    ImportPackTile *importTile() const { return tile_; }

    // The tile's action: one pack from the panel, imported through the model on its worker. Meanwhile the
    // tile is disabled and says "Importing…".
    void importPack();
    bool importing() const { return task_.has_value(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QRect itemRect(std::size_t index) const override;
    QWidget *makeWidget() override;
    void bindWidget(QWidget *widget, std::size_t index) override;
    QWidget *focusTarget(QWidget *widget) const override;
    QRect restingView() const override;

private:
    // Follows the profiles: the named ones changed in place, or (none named) the list or the active profile.
    void profilesChanged(const std::vector<Uuid> &ids);
    void importFinished(const ImportResult &result);

    AppModel &model_;
    SoundsScreenState &state_;
    const SoundFilePanels &panels_;
    ImportPackTile *tile_;
    std::optional<int> task_; // the model's task of the pack being imported
};

} // namespace tc
