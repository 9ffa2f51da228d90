#include "ui/triggers/TriggerRow.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/PillToggle.h"
#include "ui/triggers/TriggerEdits.h"
#include "ui/triggers/TriggerLabel.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>

namespace tc {

TriggerRow::TriggerRow(AppModel &model, const Trigger &trigger, bool selected, std::function<void()> onClick,
                       QWidget *parent)
    : QWidget(parent), selected_(selected), onClick_(std::move(onClick)),
      label_(new TriggerLabel(trigger.kind, TriggerLabel::Size::small, this)),
      switch_(TriggerEdits::onOffSwitch(model, trigger.id, this)) {
    setCursor(Qt::PointingHandCursor);
    // The label is only a picture: a click on it is a click on the row.
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(TriggerLabel::spokenText(trigger.kind));
    if (!trigger.enabled) {
        auto *dim = new QGraphicsOpacityEffect(this);
        dim->setOpacity(kDisabledOpacity);
        setGraphicsEffect(dim);
    }
}

void TriggerRow::takeFocus(qreal cornerRadius) {
    FocusRing::attach(this, cornerRadius, [this] { onClick_(); });
}

void TriggerRow::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        onClick_();
    }
}

} // namespace tc
