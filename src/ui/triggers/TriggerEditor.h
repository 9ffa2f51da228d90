#pragma once

#include "model/Uuid.h"
#include "ui/triggers/TriggerEdits.h"

#include <QWidget>
#include <optional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedLayout;

namespace tc {

class AppModel;
class FlowChips;
class MiniCap;
class PillToggle;
class SegmentedSwitch;
class ShortcutRecorder;
class TriggerLabel;

// The Triggers screen's right-hand column: the edit panel of one trigger. The kind switch (Shortcut, Word),
// the shortcut recorded by pressing it or the word typed in a field, the sound chosen from a menu grouped by
// category ("Record or import…" opens the sound picker for this trigger) with its preview, the applications it
// is limited to, its on/off switch and "Delete". Every edit goes straight into the document through the model;
// the panel follows the document in place (the word field is never rebuilt under the typing). Without a
// trigger it shows a card saying how to get one.
//
// Main thread only. The model must outlive it.
class TriggerEditor : public QWidget {
public:
    static constexpr int width = 360;

    TriggerEditor(AppModel &model, TriggerApps apps, QWidget *parent = nullptr);
    ~TriggerEditor() override;

    // The trigger to edit. A change stops a recording and copies the new trigger's word into the field.
    void setTriggerID(std::optional<Uuid> id);
    const std::optional<Uuid> &triggerID() const { return id_; }

    // The hint under the capture area or the word field, as shown now.
    QString hint() const;
    bool isRecording() const;

    SegmentedSwitch *kindSwitch() const { return kind_; }
    QAbstractButton *captureArea() const { return capture_; }
    TriggerLabel *captureLabel() const { return captureLabel_; }
    QLineEdit *wordField() const { return word_; }
    QAbstractButton *soundButton() const { return soundButton_; }
    QAbstractButton *playButton() const { return play_; }
    QAbstractButton *deleteButton() const { return delete_; }
    PillToggle *onOffSwitch() const { return switch_; }
    FlowChips *chips() const { return chips_; }
    // Shown instead of the panel when there is no trigger.
    QWidget *emptyCard() const { return empty_; }
    // The sound menu as it opens now.
    QMenu *buildSoundMenu();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makePanel();
    void refresh();
    void pressKind(int index);
    void toggleRecording();
    void commitWord();
    void syncWord();
    void chooseSound(const std::string &soundID);

    AppModel &model_;
    TriggerApps apps_;
    std::optional<Uuid> id_;
    ShortcutRecorder *recorder_;

    QStackedLayout *stack_;
    QWidget *empty_;
    QWidget *panel_;
    SegmentedSwitch *kind_;
    QLabel *whenTitle_;
    QAbstractButton *capture_;
    TriggerLabel *captureLabel_;
    QWidget *wordBox_;
    QLineEdit *word_;
    QLabel *hint_;
    MiniCap *soundCap_;
    QAbstractButton *soundButton_;
    QAbstractButton *play_;
    FlowChips *chips_;
    QAbstractButton *delete_;
    QLabel *onText_;
    PillToggle *switch_ = nullptr;
    QMenu *soundMenu_;
};

} // namespace tc
