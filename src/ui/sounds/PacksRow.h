#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <optional>
#include <vector>

class QHBoxLayout;

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
// It follows the document in place: cards of new profiles appear, those of deleted ones go, the others stay
// (a card under the pointer is never rebuilt). A pack the tile cannot import sets the screen's error text.
// Main thread only; the model, the state and the panels must outlive it.
class PacksRow : public QWidget {
    Q_OBJECT
public:
    PacksRow(AppModel &model, SoundsScreenState &state, const SoundFilePanels &panels, QWidget *parent = nullptr);

    const std::vector<ProfilePackCard *> &cards() const { return cards_; }
    ImportPackTile *importTile() const { return tile_; }

    // The tile's action: one pack from the panel, imported through the model on its worker. Meanwhile the
    // tile is disabled and says "Importing…".
    void importPack();
    bool importing() const { return task_.has_value(); }

private:
    void sync();
    void importFinished(const ImportResult &result);

    AppModel &model_;
    SoundsScreenState &state_;
    const SoundFilePanels &panels_;
    QHBoxLayout *layout_;
    std::vector<ProfilePackCard *> cards_;
    ImportPackTile *tile_;
    std::optional<int> task_; // the model's task of the pack being imported
};

} // namespace tc
