#pragma once

// Qt 6.4's moc cannot parse the standard library's concepts, which this header brings in; moc needs nothing
// of it.
#ifndef Q_MOC_RUN
#include "app/AppTypes.h"
#endif
#include "engine/Recorder.h"
#include "ui/sounds/SoundPickerState.h"

#include <QAbstractButton>
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QStackedLayout;

namespace tc {

class AppModel;
class FittingText;
class MiniCap;
class PickerImportPane;
class PickerLibraryPane;
class PickerRecordPane;
class PickerTabBar;
struct ImportResult;

// The modal sheet in which every sound is chosen: for keys of the active profile, for one trigger or for the
// editor's paint brush. A header with the title, the target and the tab switcher; the Library, Record or
// Import pane on the dotted backdrop; a footer with the chosen sound (or the last error, or a prompt),
// "Cancel" and "Use this sound". Return uses the sound only while the button is enabled; Escape cancels.
//
// Each sheet is made for one presentation and starts afresh: on the target's current sound (and its
// category), on the Library tab unless the model asks for the Record tab, with its own recorder, which it
// resets when it closes. A finished take becomes a user sound through the model (read on its worker) and is
// chosen when it has come in, unless the sheet has closed meanwhile. The sheet
// changes the document only through the model's operations.
// Thread: the main thread.
class SoundPickerSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 900;
    static constexpr int kHeight = 640;

    // `openSoundSettings` opens the desktop's microphone settings (empty: none installed).
    SoundPickerSheet(SoundPickerTarget target, AppModel &model, std::unique_ptr<Recorder> recorder,
                     std::function<void()> openSoundSettings, QWidget *parent = nullptr);
    ~SoundPickerSheet() override;

    // The target's current sound: the brush's sound; the sound of the trigger (nothing when it is gone); for
    // keys, the sound of the lowest key code of the set that has one of its own.
    static std::optional<std::string> initialSound(const SoundPickerTarget &target, const AppModel &model);
    // "For the A key in Default", "For 2 keys in Default", "For this trigger", "Paint it onto any keys you like".
    static QString targetDescription(const SoundPickerTarget &target, const AppModel &model);
    // "Pick a sound" for the brush, "Replace sound" otherwise.
    static QString title(const SoundPickerTarget &target);
    // The footer's line under a chosen sound's name: "Memes · 0.42 s".
    static QString detailText(const SoundItem &sound);

    // Applies the chosen sound to the target, previews it and closes. Does nothing while no known sound is
    // chosen. For a trigger that no longer exists it closes without writing or playing anything.
    void apply();

    const SoundPickerTarget &target() const { return target_; }
    SoundPickerState &state() { return state_; }
    Recorder &recorder() { return *recorder_; }
    PickerTabBar *tabBar() const { return tabs_; }
    PickerLibraryPane *libraryPane() const { return library_; }
    PickerRecordPane *recordPane() const { return record_; }
    PickerImportPane *importPane() const { return import_; }
    QAbstractButton *closeButton() const { return close_; }
    QAbstractButton *cancelButton() const { return cancel_; }
    QAbstractButton *useButton() const { return use_; }
    // The footer's texts: the chosen sound's name and detail, or the message (error or prompt) in their place.
    QString footerName() const;
    QString footerDetail() const;
    QString footerMessage() const;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void showTab();
    void updateFooter();
    void recorderChanged();
    void importFinished(const ImportResult &result);
    // Moves the focus to "Use this sound" (a take was recorded or a file imported), so Return uses it.
    void focusUse();

    SoundPickerTarget target_;
    AppModel &model_;
    SoundPickerState state_;
    std::unique_ptr<Recorder> recorder_;
    Recorder::State lastRecorderState_;
    std::optional<QString> takeError_; // the finished take could not be saved
    std::optional<int> takeTask_;      // the model's task of the finished take being imported

    PickerTabBar *tabs_ = nullptr;
    QAbstractButton *close_ = nullptr;
    QStackedLayout *panes_ = nullptr;
    PickerLibraryPane *library_ = nullptr;
    PickerRecordPane *record_ = nullptr;
    PickerImportPane *import_ = nullptr;
    QWidget *choice_ = nullptr;
    MiniCap *choiceCap_ = nullptr;
    FittingText *choiceName_ = nullptr;
    QLabel *choiceDetail_ = nullptr;
    QLabel *message_ = nullptr;
    QAbstractButton *cancel_ = nullptr;
    QAbstractButton *use_ = nullptr;
};

} // namespace tc
