#pragma once

#include "app/AppTypes.h"
#include "model/KeyAssignment.h"
#include "model/SoundItem.h"
#include "ui/kit/CapPalette.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

class QAbstractButton;
class QLabel;

namespace tc {

class AppModel;
class AssignedControls;
class Chip;
class FittingText;
class MiniCap;
class PillButton;
class PlayButton;
class QuickPicks;
class Waveform;

// The panel over the sound tray that describes the selected keys: the first of them in layout order (the
// primary key) with its cap, sound name, waveform, duration and preview; the controls of its own sound or,
// without one, the quick picks; and the actions Choose/Replace, Record and Reset, which act on every selected
// key. With no key of the layout selected it shows a short hint. Everything follows the model; edits go
// through it. The Advanced group starts closed with each new panel and keeps its state across selections.
// Main thread.
class Inspector : public QWidget {
public:
    // What the panel shows for a selection, worked out from the model alone.
    struct Description {
        std::uint16_t primary = 0;
        std::optional<KeyAssignment> assignment;
        std::string soundID;
        std::optional<SoundItem> sound;
        CapPalette palette;
        QString header;   // "KEY / SPACE", "3 KEYS"
        QString chip;     // "Base sound", "Sound", "Memes", …
        QString name;     // the sound's name or "Missing sound"
        QString duration; // "0.25 s"
        QString note;     // for keys on the base sound; empty otherwise
        std::optional<std::string> capSymbol;
        std::optional<QString> capText;
    };

    // The first key code of the layout, in layout order, that `codes` holds.
    static std::optional<std::uint16_t> primaryKey(const KeySet &codes);
    // "%.2f s" whatever the locale; a duration that is not a finite positive number shows 0.00 s.
    static QString durationText(double seconds);
    // The description of the selection, or nothing when it holds no key of the layout.
    static std::optional<Description> describe(const AppModel &model, const KeySet &codes);

    static constexpr int kWidth = 330;

    explicit Inspector(AppModel &model, QWidget *parent = nullptr);

    bool isEmptyState() const;
    const std::optional<Description> &description() const { return shown_; }
    AssignedControls *controls() const { return controls_; }
    QuickPicks *quickPicks() const { return picks_; }
    Waveform *waveform() const { return waveform_; }
    QAbstractButton *playButton() const;
    QAbstractButton *chooseButton() const;
    QAbstractButton *recordButton() const { return record_; }
    QAbstractButton *resetButton() const { return reset_; }
    QString chooseText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void sync();

    AppModel &model_;
    std::optional<Description> shown_;
    QWidget *empty_;
    QWidget *content_;
    MiniCap *cap_;
    QLabel *header_;
    Chip *chip_;
    FittingText *name_;
    Waveform *waveform_;
    QWidget *mark_;
    PlayButton *play_;
    QLabel *duration_;
    QLabel *note_;
    AssignedControls *controls_;
    QuickPicks *picks_;
    PillButton *choose_ = nullptr;
    QAbstractButton *record_;
    QAbstractButton *reset_;
};

} // namespace tc
