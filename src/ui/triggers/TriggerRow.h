#pragma once

#include "model/Trigger.h"

#include <QWidget>
#include <functional>

namespace tc {

class AppModel;

// One trigger as a selectable row: what the list's rows and the graph's nodes have in common. It builds the
// trigger's label in the small size and its on/off switch for the view to place in its own cells; a left click
// anywhere on the row (blank space and the label included) selects the trigger; a disabled trigger's row is
// dimmed as a whole, switch included; a screen reader speaks the trigger's label. Each view paints its own
// selection look over `selected_`.
//
// Main thread only. The model must outlive it.
class TriggerRow : public QWidget {
public:
    // How opaque a disabled trigger's row is.
    static constexpr qreal kDisabledOpacity = 0.55;

    // `onClick` is called on a left click.
    TriggerRow(AppModel &model, const Trigger &trigger, bool selected, std::function<void()> onClick, QWidget *parent);

    // For the view to place in its layout.
    QWidget *label() const { return label_; }
    QWidget *onOffSwitch() const { return switch_; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    // Lets Tab reach the row, ringed by the kit's focus ring with this corner radius; Space and Return select
    // it as a click does.
    void takeFocus(qreal cornerRadius);

    const bool selected_;

private:
    std::function<void()> onClick_;
    QWidget *label_;
    QWidget *switch_;
};

} // namespace tc
