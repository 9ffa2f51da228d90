#pragma once

#include "ui/sounds/SoundPickerState.h"

#include <QAbstractButton>
#include <QWidget>
#include <map>

namespace tc {

// The sound picker's tab switcher: one plain button per tab ("Library", "Record", "Import", 12-point
// semibold, padded 14 either side, 30 high, spacing 2) on a Theme.panel capsule padded 3. The selected tab
// sits on a white capsule with a faint shadow (black 0.12, radius 1, one point down) in Theme.ink; the others
// read Theme.ink2. A click sets the state's tab at once; the bar follows the state.
class PickerTabBar : public QWidget {
    Q_OBJECT
public:
    PickerTabBar(SoundPickerState &state, QWidget *parent = nullptr);

    QAbstractButton *button(SoundPickerTab tab) const { return buttons_.at(tab); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SoundPickerState &state_;
    std::map<SoundPickerTab, QAbstractButton *> buttons_;
};

} // namespace tc
