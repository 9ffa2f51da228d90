#include "ui/kit/FocusInView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>

namespace tc {

namespace {

// Room kept around a control scrolled to, as QScrollArea keeps for a child Tab reaches.
constexpr int kMargin = 50;

bool isScrolledContent(const QWidget *widget) {
    const QWidget *viewport = widget->parentWidget();
    const auto *area = viewport != nullptr ? qobject_cast<const QScrollArea *>(viewport->parentWidget()) : nullptr;
    return area != nullptr && area->widget() == widget;
}

class Watcher final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason && watched->isWidgetType()) {
                // A click focuses what the pointer is on; everything else may be out of view.
                schedule(static_cast<QWidget *>(watched));
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (watched->isWidgetType()) {
                moved(static_cast<QWidget *>(watched), event->type());
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    // A widget moved or changed size: if the layout moved the focused control (it, or a widget between it and
    // its scroll area), the control is brought back into view. A scroll area moves its content to scroll:
    // those moves are the user's or ours, and change nothing here.
    void moved(QWidget *widget, QEvent::Type type) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == nullptr || (widget != focused && !widget->isAncestorOf(focused))) {
            return;
        }
        if (type == QEvent::Move && isScrolledContent(widget)) {
            return;
        }
        if (widget->isWindow()) {
            return;
        }
        schedule(focused);
    }

    // Once the layout has settled, at the next turn of the event loop.
    void schedule(QWidget *widget) {
        pending_ = widget;
        if (!scheduled_) {
            scheduled_ = true;
            QTimer::singleShot(0, this, [this] {
                scheduled_ = false;
                QWidget *focused = pending_;
                pending_ = nullptr;
                if (focused != nullptr && focused == QApplication::focusWidget()) {
                    FocusInView::reveal(focused);
                }
            });
        }
    }

    QPointer<QWidget> pending_;
    bool scheduled_ = false;
};

} // namespace

void FocusInView::watch() {
    static bool watching = false;
    if (!watching && qApp != nullptr) {
        watching = true;
        qApp->installEventFilter(new Watcher(qApp));
    }
}

void FocusInView::reveal(QWidget *widget) {
    for (QWidget *ancestor = widget->parentWidget(); ancestor != nullptr; ancestor = ancestor->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(ancestor);
            area != nullptr && area->widget() != nullptr && area->widget()->isAncestorOf(widget)) {
            area->ensureWidgetVisible(widget, kMargin, kMargin);
        }
        if (ancestor->isWindow()) {
            break;
        }
    }
}

} // namespace tc
