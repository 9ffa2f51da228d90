#pragma once

#include "model/Profile.h"
#include "model/SoundItem.h"
#include "ui/kit/CapPalette.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tc {

class AppModel;
class BaseSoundMenu;
class FittingText;
class FlowRow;

// The top left of the Keys page: the active profile's name over its legend (one chip per kind of key, with
// how many keys it stands for) and the base sound menu. Follows the model's document. Main thread.
class TitleBlock : public QWidget {
public:
    struct LegendEntry {
        QString label;
        CapPalette palette;
        int count = 0;
        friend bool operator==(const LegendEntry &, const LegendEntry &) = default;
    };
    using SoundLookup = std::function<std::optional<SoundItem>(const std::string &)>;

    // "Base" (or "Silent" when the base sound is "none") with the keys that fall back to it, then one entry
    // per category that some assignment uses, in the fixed order memes, animals, retro, everyday, mine.
    // Mechanical sounds and sounds that resolve to nothing appear in no entry.
    static std::vector<LegendEntry> legend(const Profile &profile, const SoundLookup &sound);

    explicit TitleBlock(AppModel &model, QWidget *parent = nullptr);

    QString name() const;
    std::vector<LegendEntry> shownLegend() const;
    BaseSoundMenu *baseSoundMenu() const { return menu_; }

private:
    void sync();
    void refresh();

    AppModel &model_;
    FittingText *name_;
    FlowRow *chips_;
    BaseSoundMenu *menu_;
    std::vector<LegendEntry> shown_;
};

// One legend chip: a swatch, the label and the count, never truncated.
class LegendChip : public QWidget {
public:
    LegendChip(TitleBlock::LegendEntry entry, QWidget *parent = nullptr);
    const TitleBlock::LegendEntry &entry() const { return entry_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TitleBlock::LegendEntry entry_;
};

} // namespace tc
