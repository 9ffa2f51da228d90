#include "ui/kit/ItemSlot.h"

#include <QApplication>

namespace tc {

ItemSlot::ItemSlot(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ItemSlot::setContent(QWidget *content) {
    QWidget *old = content_;
    content_ = content;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
    if (old == nullptr) {
        return;
    }
    const QWidget *focused = QApplication::focusWidget();
    if (focused != nullptr && (focused == old || old->isAncestorOf(focused)) && isVisible()) {
        // Before the old content hides: hiding the focused widget would pass the focus on down the chain.
        content->setFocus(Qt::OtherFocusReason);
    }
    old->hide();
    old->deleteLater();
}

void ItemSlot::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (content_ != nullptr) {
        content_->setGeometry(rect());
    }
}

} // namespace tc
