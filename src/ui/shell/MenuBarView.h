#pragma once

#include "app/Silence.h"

#include <QLocale>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QScrollArea;
class QLabel;
class QVBoxLayout;

namespace tc {

class AppModel;
class FittingText;
class OnOffPill;
class OrangeDial;
class ProfileCell;
class ProfileCellGrid;
class SilenceCard;
class VolumeSlider;

// The tray panel, 340 points wide: the product name with the on/off pill; the silence card while key presses
// are silent, else the now-playing dial (the last key and sound, the day's press count); the profiles as a
// grid of cells with the master volume; the auto-mute banner; "Open Tapchime Ctrl+," and the power button.
//
// Everything is read from the model and follows its per-field signals in place: nothing under the pointer
// is rebuilt (the volume slider keeps its drag while the document changes; a profile's cell changes only when
// that profile does, and only the cells in view are made). Main thread only; the model must outlive the view.
class MenuBarView : public QWidget {
public:
    // The profile grid shows this many rows at most and scrolls beyond, so the panel never runs off the
    // screen and "Open Tapchime" and the power button stay in reach.
    static constexpr int kVisibleProfileRows = 4;
    QScrollArea *profileScroll() const { return profileScroll_; }

    static constexpr int fixedWidth = 340;

    // What the panel asks of the program.
    struct Actions {
        // Brings the main window forward (and activates the program).
        std::function<void()> openMain;
        // Ends the program; the panel has already written what is pending (default: QCoreApplication::quit).
        std::function<void()> quit;
    };

    MenuBarView(AppModel &model, Actions actions, QWidget *parent = nullptr);
    ~MenuBarView() override;

    // The dial's texts: the key ("SPACE", or "TYPE SOMETHING" before any key played), the sound's name (or
    // "Missing sound"; the playing profile's name before any sound played), and the day's count ("1,234 TODAY").
    static QString keyText(std::optional<std::uint16_t> lastPlayedKey);
    static QString nameText(const AppModel &model);
    static QString todayText(std::int64_t pressesToday, const QLocale &locale = QLocale());
    static QString autoMuteDetail(bool muteWhenMicInUse);

    // What is shown now, for tests and the snapshot tool.
    OnOffPill *onOffPill() const { return pill_; }
    SilenceCard *silenceCard() const { return card_; }
    OrangeDial *nowPlaying() const { return dial_; }
    QString shownKeyText() const;
    QString shownNameText() const;
    QString shownCountText() const;
    // The profile cells made now (those in view and a row either side), in document order.
    std::vector<ProfileCell *> profileCells() const;
    ProfileCellGrid *profileGrid() const { return grid_; }
    VolumeSlider *volumeSlider() const { return slider_; }
    QString volumeText() const;
    QString bannerDetail() const;
    QAbstractButton *openButton() const { return open_; }
    QAbstractButton *quitButton() const { return quit_; }

private:
    QWidget *makeHeader();
    OrangeDial *makeDial();
    QWidget *makeProfileCard();
    QWidget *makeBanner();
    QWidget *makeBottomRow();

    void toggleSounds();
    void fix();
    void quit();
    void refreshPill();
    void refreshStatus();
    void refreshDial();
    void refreshProfiles();
    void refreshVolume();
    void refreshBanner();

    AppModel &model_;
    Actions actions_;
    OnOffPill *pill_ = nullptr;
    QVBoxLayout *status_ = nullptr;
    SilenceCard *card_ = nullptr;
    std::optional<Silence> cardSilence_;
    OrangeDial *dial_ = nullptr;
    QLabel *count_ = nullptr;
    QLabel *key_ = nullptr;
    FittingText *name_ = nullptr;
    ProfileCellGrid *grid_ = nullptr;
    QScrollArea *profileScroll_ = nullptr; // holds the grid; scrolls beyond kVisibleProfileRows rows
    QLabel *percent_ = nullptr;
    VolumeSlider *slider_ = nullptr;
    QLabel *bannerDetail_ = nullptr;
    QAbstractButton *open_ = nullptr;
    QAbstractButton *quit_ = nullptr;
};

} // namespace tc
