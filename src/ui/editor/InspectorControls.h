#pragma once

#include "app/AppTypes.h"
#include "model/KeyAssignment.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QLabel;
class QSlider;

namespace tc {

class AppModel;
class PillToggle;

// A fraction shown on a slider of thousandths: the value is clamped to [low, high] before it becomes an
// integer, and a value that is not a number shows at `low`.
int sliderPosition(double value, double low, double high);

// The controls of selected keys whose first key has its own sound: the volume slider and the Advanced group
// (pitch variation and the three playback options). They show the first key's values; each control writes
// only its own field, to every selected key that has its own sound. The controls are updated in place, so a
// slider under the pointer is never rebuilt or moved while it is dragged. Main thread.
class AssignedControls : public QWidget {
public:
    static constexpr double kVolumeLow = 0.05;
    static constexpr double kPitchHigh = 0.3;

    // "Pitch ±6% · 0 of 3 options on".
    static QString summary(const KeyAssignment &assignment);

    AssignedControls(AppModel &model, QWidget *parent = nullptr);

    // Shows `assignment` (the first key's) for the selection `codes`.
    void setAssignment(const KeyAssignment &assignment, const KeySet &codes);

    bool isAdvancedOpen() const { return open_; }
    void setAdvancedOpen(bool open);

    QSlider *volumeSlider() const { return volume_; }
    QSlider *pitchSlider() const { return pitch_; }
    QString volumeText() const;
    QString pitchText() const;
    QString subtitle() const;
    QAbstractButton *advancedHeader() const { return header_; }
    // Random within category, layer over base click, also play on key up.
    const std::vector<PillToggle *> &toggles() const { return toggles_; }

private:
    void edit(const std::function<void(KeyAssignment &)> &change);
    void syncSubtitle();

    AppModel &model_;
    KeyAssignment assignment_;
    KeySet codes_;
    bool open_ = false;
    QLabel *volumeText_;
    QSlider *volume_;
    QAbstractButton *header_;
    QLabel *subtitle_;
    QWidget *chevron_;
    QWidget *body_;
    QLabel *pitchText_;
    QSlider *pitch_;
    std::vector<PillToggle *> toggles_;
};

// "Quick picks": five sounds for keys without their own, one click assigns one to every selected key and
// previews it. A pick whose sound does not exist is left out. Main thread.
class QuickPicks : public QWidget {
public:
    static const std::vector<std::string> &ids();

    QuickPicks(AppModel &model, QWidget *parent = nullptr);

    void setCodes(const KeySet &codes) { codes_ = codes; }
    // Shows the picks whose sounds exist now.
    void refresh();
    // The button of a pick, or nullptr when it is not shown.
    QAbstractButton *button(const std::string &id) const;

private:
    AppModel &model_;
    KeySet codes_;
    std::vector<std::pair<std::string, QAbstractButton *>> buttons_;
};

} // namespace tc
