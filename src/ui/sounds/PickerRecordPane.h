#pragma once

#include "engine/Recorder.h"

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QLabel;

namespace tc {

// The sound picker's Record tab, on the picker's own recorder: a white meter card (status dot and text, the
// elapsed time against 00:03.00, a 60-bar level meter and a progress bar), the red record key that starts a
// take or stops the running one early, a hint under it and, only while the microphone is refused, a button
// that opens the desktop's sound settings. Turning a finished take into a sound is the sheet's business; it
// tells the pane when that failed, so the pane never says "Saved to My sounds" for a take that was not saved.
// The pane keeps no state of its own beyond that: refresh() redraws it from the recorder.
class PickerRecordPane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBars = 60;
    static constexpr qreal kBarWidth = 6;
    static constexpr qreal kBarSpacing = 3;
    static constexpr qreal kMeterHeight = 90;

    // `openSettings` runs the desktop's sound settings; empty when none is installed (the button then stays
    // hidden).
    PickerRecordPane(Recorder &recorder, std::function<void()> openSettings, QWidget *parent = nullptr);

    // Redraws from the recorder; `takeError` is the message of a finished take that could not be saved.
    void refresh(const std::optional<QString> &takeError);

    // --- What the pane shows, as pure functions ---
    // The status line: "Saved to My sounds", the failure's message, "Ready to record", "Waiting for
    // microphone access…", "Microphone access is off" or "Recording"; a finished take that could not be saved
    // shows that error instead.
    static QString statusText(const Recorder::State &state, const std::optional<QString> &takeError);
    static QString hintText(const Recorder::State &state, bool takeSaved);
    // "00:01.27" of the seconds, unclamped.
    static QString elapsedText(double seconds);
    // The newest 60 levels, the oldest first; zeros after them while there are fewer.
    static std::array<float, kBars> meterLevels(const std::vector<float> &levels);
    // A bar's height in points: max(level × 86, 4).
    static qreal barHeight(float level);
    // The progress bar's fraction: min(elapsed, 3) / 3.
    static qreal progress(double elapsed);

    // The command that opens the microphone's settings on this desktop, the first of the known sound-settings
    // programs that `installed` finds; empty when there is none.
    static QStringList soundSettingsCommand(const std::function<bool(const QString &program)> &installed);
    // The same on this system (programs found on $PATH); starts it detached.
    static std::function<void()> systemSoundSettings();

    QAbstractButton *recordButton() const { return record_; }
    QAbstractButton *settingsButton() const { return settings_; }
    QString status() const;
    QString hint() const;
    QString elapsed() const;

private:
    Recorder &recorder_;
    std::optional<QString> takeError_;
    QWidget *card_;
    QWidget *dot_;
    QLabel *status_;
    QLabel *elapsed_;
    QWidget *meter_;
    QWidget *progress_;
    QAbstractButton *record_;
    QLabel *hint_;
    QAbstractButton *settings_;
    bool canOpenSettings_;
};

} // namespace tc
