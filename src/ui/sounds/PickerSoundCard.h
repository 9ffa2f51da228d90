#pragma once

#include "model/SoundItem.h"

#include <QAbstractButton>
#include <functional>

class QLabel;

namespace tc {

class MiniCap;
class PlayButton;
class ShadowEffect;

// One sound of the picker's library grid: its category badge, its name (13-point bold, one line) over its
// duration ("0.42 s", 10-point medium, Theme.ink3) and a play button, on a white card 62 high with corners
// of 14 and a soft shadow. While the card's sound is the chosen one a 2-point Theme.ink ring runs inside its
// edge. A click on the card (outside the play button) runs `onChoose`; the play button runs `onPreview`.
class PickerSoundCard : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kHeight = 62;

    PickerSoundCard(const SoundItem &sound, std::function<void()> onChoose, std::function<void()> onPreview,
                    QWidget *parent = nullptr);

    const SoundItem &sound() const { return sound_; }
    // Shows the same sound changed (renamed, its length known) in place; the actions stay those of its id.
    void setSound(const SoundItem &sound);
    void setRinged(bool ringed);
    bool isRinged() const { return ringed_; }
    PlayButton *playButton() const { return play_; }

    // "%.2f s" of the seconds.
    static QString durationText(double seconds);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SoundItem sound_;
    bool ringed_ = false;
    MiniCap *badge_;
    QLabel *name_;
    QLabel *duration_;
    PlayButton *play_;
};

} // namespace tc
