#include "ui/kit/SingleClick.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <optional>

namespace tc {

namespace {

// The last press on any removing button, by the window system's clock (main thread only): the press that
// removed an item and the ones that follow it quickly belong to one multiple click, whichever button they reach.
struct LastPress {
    quint64 time;
    QPointF at;
};
std::optional<LastPress> lastPress;

bool continuesLastPress(const QMouseEvent &press) {
    // A press made up without the window system's clock has no time to compare.
    if (!lastPress || press.timestamp() == 0 || press.timestamp() < lastPress->time) {
        return false;
    }
    const QStyleHints *hints = QGuiApplication::styleHints();
    const QPointF moved = press.globalPosition() - lastPress->at;
    return press.timestamp() - lastPress->time < static_cast<quint64>(hints->mouseDoubleClickInterval()) &&
           moved.manhattanLength() <= hints->mouseDoubleClickDistance();
}

// Eats the double-click event, which a button would otherwise take as a second press, and a press that
// continues a multiple click (the third of a triple click comes as a plain press).
class RepeatClickEater : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::MouseButtonPress) {
            const auto *press = static_cast<QMouseEvent *>(event);
            const bool repeat = event->type() == QEvent::MouseButtonDblClick || continuesLastPress(*press);
            lastPress = LastPress{press->timestamp(), press->globalPosition()};
            if (repeat) {
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void removeOnSingleClicksOnly(QAbstractButton *button) {
    button->installEventFilter(new RepeatClickEater(button));
}

} // namespace tc
