#pragma once

#include "model/Profile.h"
#include "model/SoundItem.h"

#include <QAbstractButton>
#include <functional>
#include <optional>
#include <string>

namespace tc {

// One starter pack on the onboarding sheet: the pack's badge (a 54-point MiniCap in the profile's colour with
// the symbol of its most used category), its name (14-pixel bold) and "N custom keys" (11-pixel, Theme.ink3),
// centred 10 apart with 18 above and below, on a white rounded rectangle (corner 18) that gets a 2-point
// Theme.ink border inside its edge while the pack is the active one. The whole rectangle is the hit area.
//
// The choices are pure functions, so the sheet looks the same on every run whatever order the document's
// key map has. Main thread only.
class PackCard : public QAbstractButton {
public:
    // Looks a sound id up as the model does: the item, or nothing for an id that names no sound.
    using SoundLookup = std::function<std::optional<SoundItem>(const std::string &id)>;

    // The sound a tap previews: Space's sound when Space has one, else the sound of the key with the lowest
    // key code (keys that are not key codes come last, in text order), else the base sound.
    static std::string previewSoundID(const Profile &profile);
    // The badge symbol: the symbol of the category most of the key assignments use (each assignment counts,
    // ids that name no sound count nothing, "none" counts as mechanical); a tie goes to the category listed
    // first; "keyboard" when nothing was counted.
    static std::string symbol(const Profile &profile, const SoundLookup &lookup);
    // "N custom keys", with no singular form.
    static QString countText(const Profile &profile);

    PackCard(const Profile &profile, const SoundLookup &lookup, QWidget *parent = nullptr);

    const Uuid &profileID() const { return id_; }
    const std::string &badgeSymbol() const { return symbol_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }

    // Every card's height.
    static int height();
    // The least width shows the badge and the count whole; the name is cut with "…" below its own width and
    // then shows whole in the card's tooltip.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Uuid id_;
    QString name_;
    QString count_;
    qreal nameWidth_ = -1; // the name's width in its font, measured once
    ProfileColor color_;
    std::string symbol_;
    bool selected_ = false;
};

} // namespace tc
