#include "ui/kit/FocusRing.h"

#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace tc {

namespace {

// How a control wears the ring.
struct Options {
    qreal radius = FocusRing::kCapsule;
    qreal inset = 0;
    std::function<void()> activate; // for controls that are no buttons
    bool returnClicks = true;
};

// Whether the user's last press was a key rather than a pointer button (see InputModality below). No keyboard
// use is assumed until a key is pressed.
bool lastPressWasKey = false;

// Follows one control: paints the ring after the control's own paint event, repaints on focus changes, and
// turns Return into a click. A child of the control, so it lives exactly as long as the control does.
class RingFilter final : public QObject {
public:
    RingFilter(QWidget *control, Options options) : QObject(control), control_(control), options_(std::move(options)) {
        setObjectName(QStringLiteral("tc-focus-ring"));
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != control_) {
            return false;
        }
        switch (event->type()) {
        case QEvent::Paint:
            return paintOver(event);
        case QEvent::FocusIn:
            focusIn(static_cast<QFocusEvent *>(event)->reason());
            control_->update();
            return false;
        case QEvent::FocusOut:
            // A window that loses activation keeps its focus control, and the ring comes back with it.
            keepsRing_ = static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason && visible_;
            control_->update();
            return false;
        case QEvent::KeyPress:
            return activate(static_cast<QKeyEvent *>(event));
        default:
            return false;
        }
    }

    // Shows or hides the ring while the control keeps its focus.
    void setShown(bool shown) {
        if (shown != visible_) {
            visible_ = shown;
            control_->update();
        }
    }

private:
    void focusIn(Qt::FocusReason reason) {
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            visible_ = true;
            break;
        case Qt::MouseFocusReason:
            visible_ = false;
            break;
        case Qt::ActiveWindowFocusReason:
            visible_ = keepsRing_ || lastPressWasKey;
            break;
        default:
            visible_ = lastPressWasKey;
            break;
        }
        keepsRing_ = false;
    }

    bool paintOver(QEvent *event) {
        if (painting_) {
            return false;
        }
        painting_ = true;
        // The control paints itself first (QObject::event is public, and dispatches to its paintEvent); the ring
        // goes on top.
        static_cast<QObject *>(control_)->event(event);
        painting_ = false;
        if (control_->hasFocus() && visible_) {
            QPainter painter(control_);
            const qreal inset = options_.inset;
            FocusRing::paint(painter, QRectF(control_->rect()).adjusted(inset, inset, -inset, -inset), options_.radius);
        }
        return true;
    }

    bool activate(QKeyEvent *event) {
        const int key = event->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        if (options_.activate) {
            if (!enter && key != Qt::Key_Space) {
                return false;
            }
            if (!event->isAutoRepeat()) {
                options_.activate();
            }
            return true;
        }
        auto *button = qobject_cast<QAbstractButton *>(control_);
        if (button == nullptr || !enter || !options_.returnClicks) {
            return false; // a button's own Space handling stays
        }
        if (button->isEnabled() && !event->isAutoRepeat()) {
            button->click();
        }
        return true;
    }

    QWidget *control_;
    Options options_;
    bool painting_ = false;
    bool visible_ = false;   // whether this focus shows the ring
    bool keepsRing_ = false; // the window lost activation while the ring showed
};

} // namespace

QColor FocusRing::color() {
    return Theme::orange;
}

void FocusRing::paint(QPainter &painter, const QRectF &rect, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal corner = radius < 0 ? std::min(rect.width(), rect.height()) / 2 : radius;
    painter.strokePath(strokeBorderPath(rect, corner, kWidth), QPen(color(), kWidth));
    painter.restore();
}

namespace {

// Keeps lastPressWasKey, for focus that did not come from Tab: the first control of a window that opens, a
// sheet's default button, the control focus returns to when a sheet closes. That focus shows its ring only for
// someone using the keyboard, as a browser's :focus-visible does; a click anywhere hides the ring of the control
// that keeps focus, and the next key press shows it again. Watches every event of the application.
class InputModality final : public QObject {
public:
    static void watch() {
        static bool watching = false;
        if (!watching && qApp != nullptr) {
            watching = true;
            qApp->installEventFilter(new InputModality(qApp));
        }
    }

    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            lastPressWasKey = true;
            showFocusedRing(true);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            lastPressWasKey = false;
            showFocusedRing(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    using QObject::QObject;

    static void showFocusedRing(bool shown) {
        QWidget *focused = QApplication::focusWidget();
        // Only a ring filter bears this name.
        QObject *ring = focused
                            ? focused->findChild<QObject *>(QStringLiteral("tc-focus-ring"), Qt::FindDirectChildrenOnly)
                            : nullptr;
        if (ring != nullptr) {
            static_cast<RingFilter *>(ring)->setShown(shown);
        }
    }
};

void install(QWidget *control, Options options) {
    if (FocusRing::isAttached(control)) {
        return;
    }
    control->setFocusPolicy(Qt::TabFocus);
    InputModality::watch();
    control->installEventFilter(new RingFilter(control, std::move(options)));
}

} // namespace

void FocusRing::attach(QWidget *control, qreal radius, qreal inset) {
    Options options;
    options.radius = radius;
    options.inset = inset;
    install(control, std::move(options));
}

void FocusRing::attach(QWidget *control, qreal radius, std::function<void()> activate) {
    Options options;
    options.radius = radius;
    options.activate = std::move(activate);
    install(control, std::move(options));
}

void FocusRing::attachLeavingReturn(QWidget *control, qreal radius) {
    Options options;
    options.radius = radius;
    options.returnClicks = false;
    install(control, std::move(options));
}

bool FocusRing::isAttached(const QWidget *control) {
    return control->findChild<QObject *>(QStringLiteral("tc-focus-ring"), Qt::FindDirectChildrenOnly) != nullptr;
}

} // namespace tc
