#include "ui/kit/FocusRing.h"

#include "ui/kit/FocusInView.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
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
    bool drawnByControl = false; // the control draws the ring itself, asking FocusRing::shows()
};

// What the user last pressed (see InputModality below): nothing yet, a key, or a pointer button.
enum class Press { none, key, pointer };
Press lastPress = Press::none;
// How many pointer presses the application has seen, to tell whether one came between two moments.
unsigned pointerPresses = 0;

// The ring of the control that last lost the focus, which focus the program moves on carries to the next (a
// sheet that opens on its default control, a row made again under the keyboard), unless a click came between.
struct CarriedRing {
    QPointer<QWidget> window;
    unsigned presses = 0;
    bool shown = false;

    bool reaches(const QWidget *control) const {
        return shown && presses == pointerPresses && window == control->window();
    }
};
CarriedRing carried;

bool canTakeFocus(const QWidget *widget) {
    return widget != nullptr && widget->isEnabled() && widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus);
}

// The ring of a control that is no window of its own, painted on a child laid over the control and its
// children (a badge or a label on the control would otherwise hide it), raised whenever it shows.
class RingOverlay final : public QWidget {
public:
    RingOverlay(QWidget *control, qreal radius, qreal inset) : QWidget(control), radius_(radius), inset_(inset) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        FocusRing::paint(painter, QRectF(rect()).adjusted(inset_, inset_, -inset_, -inset_), radius_);
    }

private:
    qreal radius_;
    qreal inset_;
};

// Follows one control: shows the ring while it has focus the keyboard gave it, turns Return into a click, and
// keeps the focus from falling down the chain when the control is disabled. A child of the control, so it lives
// exactly as long as the control does.
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
        case QEvent::FocusIn:
            focusIn(static_cast<QFocusEvent *>(event)->reason());
            windowFocus_ = true;
            lostToDisable_ = false;
            showRing();
            return false;
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            // A window that loses activation (or opens a menu) keeps its focus control, and the ring comes back
            // with it unless the user clicked meanwhile.
            keepsRing_ = (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) && visible_;
            carried = {control_->window(), pointerPresses, visible_};
            pressesAtFocusOut_ = pointerPresses;
            windowFocus_ = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
            lostToDisable_ = !control_->isEnabled();
            showRing();
            return false;
        }
        case QEvent::EnabledChange:
            enabledChanged();
            return false;
        case QEvent::Resize:
            if (overlay_ != nullptr && overlay_->isVisible()) {
                overlay_->setGeometry(control_->rect());
            }
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
            showRing();
        }
    }

    bool shows() const { return visible_ && control_->hasFocus(); }
    const Options &options() const { return options_; }

private:
    void focusIn(Qt::FocusReason reason) {
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
            // Qt also moves focus down the chain, as Tab does, when a click hides the control that had it.
            visible_ = lastPress != Press::pointer;
            break;
        case Qt::ShortcutFocusReason:
            visible_ = true;
            break;
        case Qt::MouseFocusReason:
            visible_ = false;
            break;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            // Keys used in the menu or the other window (a file dialog) were not for this control.
            visible_ = keepsRing_ && pressesAtFocusOut_ == pointerPresses;
            break;
        default:
            // Focus the program moves shows the ring only where the keyboard had it (a shortcut that opens a
            // page puts no ring on the page's first control).
            visible_ = carried.reaches(control_);
            break;
        }
        keepsRing_ = false;
    }

    void showRing() {
        if (options_.drawnByControl) {
            control_->update();
            return;
        }
        const bool shown = shows();
        if (shown) {
            if (overlay_ == nullptr) {
                // Made the first time the ring shows: most controls never get the focus.
                overlay_ = new RingOverlay(control_, options_.radius, options_.inset);
            }
            overlay_->setGeometry(control_->rect());
            overlay_->raise();
            overlay_->update();
        }
        if (overlay_ != nullptr) {
            overlay_->setVisible(shown);
        }
    }

    // Qt moves the focus of a control that is disabled to the next control in the chain, which may be the one
    // action the user did not mean ("Cancel" after "Choose file..."): the focus waits on the window instead,
    // where a key does nothing by accident, and comes back when the control is enabled again.
    void enabledChanged() {
        QWidget *window = control_->window();
        if (!control_->isEnabled()) {
            // In a window that is not active Qt moves the focus without telling the control.
            if (lostToDisable_ || (windowFocus_ && window->focusWidget() != control_)) {
                lostToDisable_ = false;
                windowFocus_ = false;
                parkedOn_ = window;
                window->setFocus(Qt::OtherFocusReason);
            }
            return;
        }
        if (parkedOn_ == nullptr) {
            return;
        }
        // At the next turn of the event loop: the piece of work that enabled the control may move the focus on
        // to its next step (a sheet's "Use this sound" once its file is in) meanwhile.
        QTimer::singleShot(0, this, [this] {
            QWidget *park = parkedOn_;
            parkedOn_ = nullptr;
            if (park == nullptr || park->focusWidget() != park) {
                return; // the focus has gone elsewhere meanwhile
            }
            if (canTakeFocus(control_)) {
                control_->setFocus(Qt::OtherFocusReason);
            }
        });
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
    RingOverlay *overlay_ = nullptr;
    QPointer<QWidget> parkedOn_; // the window the focus waits on while the control is disabled
    bool visible_ = false;       // whether this focus shows the ring
    bool keepsRing_ = false;     // the window lost activation while the ring showed
    unsigned pressesAtFocusOut_ = 0;
    bool windowFocus_ = false;   // the control is its window's focus widget (the window may be inactive)
    bool lostToDisable_ = false; // the focus went because the control was disabled
};

RingFilter *filterOf(const QWidget *control) {
    // Only a ring filter bears this name.
    return static_cast<RingFilter *>(
        control->findChild<QObject *>(QStringLiteral("tc-focus-ring"), Qt::FindDirectChildrenOnly));
}

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

// Keeps lastPress, for focus that did not come from Tab: the first control of a window that opens, a
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

    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            lastPress = Press::key;
            keyPressed(watched, static_cast<QKeyEvent *>(event));
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            lastPress = Press::pointer;
            ++pointerPresses;
            showFocusedRing(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    using QObject::QObject;

    // A key typed in the focused control's window shows its ring, as the keyboard is in use there; a key used in a
    // menu or a dialog is not (the menu keeps the focus of the window under it), nor a shortcut with Ctrl, Alt or
    // Meta, which acts without moving the focus.
    static void keyPressed(QObject *receiver, const QKeyEvent *event) {
        const QWidget *focused = QApplication::focusWidget();
        const auto *target = qobject_cast<const QWidget *>(receiver);
        if (focused == nullptr || target == nullptr || target->window() != focused->window() ||
            (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0 ||
            QApplication::activePopupWidget() != nullptr) {
            return;
        }
        showFocusedRing(true);
    }

    static void showFocusedRing(bool shown) {
        QWidget *focused = QApplication::focusWidget();
        if (RingFilter *ring = focused != nullptr ? filterOf(focused) : nullptr) {
            ring->setShown(shown);
        }
    }
};

void install(QWidget *control, Options options) {
    if (FocusRing::isAttached(control)) {
        return;
    }
    // Tab and a click, as Qt's own controls take it (a control that also takes the wheel keeps that).
    control->setFocusPolicy(static_cast<Qt::FocusPolicy>(control->focusPolicy() | Qt::StrongFocus));
    InputModality::watch();
    FocusInView::watch();
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

void FocusRing::attachDrawnByControl(QWidget *control) {
    Options options;
    options.drawnByControl = true;
    options.returnClicks = false;
    install(control, std::move(options));
}

bool FocusRing::isAttached(const QWidget *control) {
    return filterOf(control) != nullptr;
}

bool FocusRing::shows(const QWidget *control) {
    const RingFilter *ring = filterOf(control);
    return ring != nullptr && ring->shows();
}

QRectF FocusRing::ringRect(const QWidget *control, qreal *radius) {
    const RingFilter *ring = filterOf(control);
    if (ring == nullptr || ring->options().drawnByControl) {
        return {};
    }
    const qreal inset = ring->options().inset;
    const QRectF rect = QRectF(control->rect()).adjusted(inset, inset, -inset, -inset);
    if (radius != nullptr) {
        const qreal corner = ring->options().radius;
        *radius = corner < 0 ? std::min(rect.width(), rect.height()) / 2 : corner;
    }
    return rect;
}

} // namespace tc
