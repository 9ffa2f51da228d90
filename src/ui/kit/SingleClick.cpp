#include "ui/kit/SingleClick.h"

#include <QAbstractButton>
#include <QEvent>

namespace tc {

namespace {

// Eats the double-click event, which a button would otherwise take as a second press.
class DoubleClickEater : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void removeOnSingleClicksOnly(QAbstractButton *button) {
    button->installEventFilter(new DoubleClickEater(button));
}

} // namespace tc
