#include "ui/kit/PageWheel.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace tc::PageWheel {

namespace {

// The scroll area of the page that holds `list`, or null.
QScrollArea *pageOf(QAbstractScrollArea *list) {
    for (QWidget *ancestor = list->parentWidget(); ancestor != nullptr;
         ancestor = ancestor->isWindow() ? nullptr : ancestor->parentWidget()) {
        if (auto *page = qobject_cast<QScrollArea *>(ancestor);
            page != nullptr && page->widget() != nullptr && page->widget()->isAncestorOf(list)) {
            return page;
        }
    }
    return nullptr;
}

class PageFirst final : public QObject {
public:
    explicit PageFirst(QAbstractScrollArea *list) : QObject(list), list_(list) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Wheel) {
            return QObject::eventFilter(watched, event);
        }
        auto *wheel = static_cast<QWheelEvent *>(event);
        const int turn = wheel->angleDelta().y();
        QScrollArea *page = pageOf(list_);
        if (turn == 0 || page == nullptr) {
            return QObject::eventFilter(watched, event);
        }
        QScrollBar *bar = page->verticalScrollBar();
        const QRect shown(list_->mapTo(page->viewport(), QPoint(0, 0)), list_->size());
        const bool down = turn < 0;
        const bool pageMoves = down ? bar->value() < bar->maximum() && shown.bottom() > page->viewport()->height() - 1
                                    : bar->value() > bar->minimum() && shown.top() < 0;
        if (!pageMoves) {
            return QObject::eventFilter(watched, event);
        }
        QWheelEvent forPage(wheel->position(), wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(),
                            wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(bar, &forPage);
        return true;
    }

private:
    QAbstractScrollArea *list_;
};

} // namespace

void scrollPageFirst(QAbstractScrollArea *list) {
    list->viewport()->installEventFilter(new PageFirst(list));
}

} // namespace tc::PageWheel
