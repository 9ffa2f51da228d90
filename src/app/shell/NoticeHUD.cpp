#include "app/shell/NoticeHUD.h"

#include "app/Motion.h"

#include <QCursor>
#include <QEasingCurve>
#include <QGuiApplication>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace tc {

namespace {

// The ease-out and ease-in-out curves of the system animations this panel imitates.
QEasingCurve bezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

int milliseconds(double seconds) {
    return static_cast<int>(seconds * 1000.0 + 0.5);
}

// The view's mostly opaque pixels, in its own coordinates: its shape without the soft shadow around it.
QRegion opaqueShape(QWidget &view) {
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const qreal scale = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
    QRegion region;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int run = -1;
        for (int x = 0; x <= image.width(); ++x) {
            const bool solid = x < image.width() && qAlpha(line[x]) >= 160;
            if (solid && run < 0) {
                run = x;
            } else if (!solid && run >= 0) {
                region += QRectF(run / scale, y / scale, (x - run) / scale, 1 / scale).toAlignedRect();
                run = -1;
            }
        }
    }
    return region;
}

} // namespace

NoticeHUD::NoticeHUD(TimerFactory &timers, ViewFactory makeView, FixHandler fix, QObject *parent)
    : QObject(parent), timers_(timers), makeView_(std::move(makeView)), fix_(std::move(fix)),
      probe_(&NoticeHUD::currentScreens), compositing_(&NoticeHUD::desktopComposites) {}

NoticeHUD::~NoticeHUD() {
    stopAnimation();
    hideWork_.reset();
    fadeEnd_.reset();
}

QWidget *NoticeHUD::panel() const {
    return panel_.get();
}

bool NoticeHUD::isShowing() const {
    return panel_ && panel_->isVisible() && !fadingOut_;
}

void NoticeHUD::setScreenProbe(ScreenProbe probe) {
    probe_ = std::move(probe);
}

void NoticeHUD::setCompositingProbe(std::function<bool()> probe) {
    compositing_ = std::move(probe);
}

bool NoticeHUD::desktopComposites() {
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        return true; // Wayland compositors always composite; offscreen renders keep their alpha
    }
    // On X11 a compositing manager owns the selection _NET_WM_CM_S<screen>.
    xcb_connection_t *connection = x11->connection();
    const char *name = "_NET_WM_CM_S0";
    const auto cookie = xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (atom == nullptr) {
        return false;
    }
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

NoticeHUD::Screens NoticeHUD::currentScreens() {
    Screens screens;
    const QList<QScreen *> all = QGuiApplication::screens();
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (int i = 0; i < all.size(); ++i) {
        screens.frames.push_back(all[i]->geometry());
        screens.available.push_back(all[i]->availableGeometry());
        if (all[i] == primary) {
            screens.primary = i;
        }
    }
    screens.cursor = QCursor::pos();
    return screens;
}

int NoticeHUD::screenIndex(const Screens &screens) {
    const int count = static_cast<int>(std::min(screens.frames.size(), screens.available.size()));
    for (int i = 0; i < count; ++i) {
        if (screens.frames[i].contains(screens.cursor)) {
            return i;
        }
    }
    if (screens.primary >= 0 && screens.primary < count) {
        return screens.primary;
    }
    return count > 0 ? 0 : -1;
}

QRect NoticeHUD::frameFor(const QRect &available, const QSize &size) {
    const int x = available.x() + (available.width() - size.width()) / 2;
    return {x, available.y() + topMargin, size.width(), size.height()};
}

void NoticeHUD::ensurePanel() {
    if (panel_) {
        return;
    }
    panel_ = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                    Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint |
                                                    Qt::NoDropShadowWindowHint);
    panel_->setObjectName(QStringLiteral("NoticePanel"));
    panel_->setWindowTitle(QStringLiteral("Tapchime"));
    panel_->setAttribute(Qt::WA_TranslucentBackground);
    panel_->setAttribute(Qt::WA_ShowWithoutActivating);
    panel_->setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    panel_->setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void NoticeHUD::stopAnimation() {
    if (animation_) {
        animation_->stop();
        delete animation_.data();
    }
}

void NoticeHUD::finishAnimations() {
    if (animation_) {
        animation_->setCurrentTime(animation_->totalDuration());
        stopAnimation();
    }
}

void NoticeHUD::show(const Notice &notice) {
    const Screens screens = probe_ ? probe_() : Screens{};
    const int screen = screenIndex(screens);
    if (screen < 0) {
        return;
    }
    ensurePanel();
    stopAnimation();
    fadeEnd_.reset();
    fadingOut_ = false;
    ++generation_;
    notice_ = notice;

    // The new view replaces the old one; the old one may be in the middle of its own click handler.
    if (view_) {
        panel_->layout()->removeWidget(view_);
        view_->hide();
        view_->deleteLater();
    }
    QPointer<NoticeHUD> self(this);
    Actions actions;
    actions.dismiss = [self] {
        if (self) {
            self->hide();
        }
    };
    if (notice.kind == Notice::Kind::silent && notice.silence) {
        actions.fix = [self, silence = *notice.silence] {
            if (!self) {
                return;
            }
            if (self->fix_) {
                self->fix_(silence);
            }
            if (self) {
                self->hide();
            }
        };
    } else {
        actions.fix = actions.dismiss;
    }
    view_ = makeView_ ? makeView_(notice, actions) : new QWidget;
    panel_->layout()->addWidget(view_);
    panel_->layout()->activate();
    const QSize size =
        view_->sizeHint().expandedTo(view_->minimumSizeHint()).expandedTo(view_->minimumSize()).expandedTo(QSize(1, 1));
    panel_->resize(size);

    if (compositing_ && !compositing_()) {
        panel_->setMask(opaqueShape(*view_));
    } else {
        panel_->clearMask();
    }

    target_ = frameFor(screens.available[static_cast<size_t>(screen)], size);
    const QRect start = target_.translated(0, -slideDistance);
    panel_->setGeometry(start);
    panel_->setWindowOpacity(0.0);
    panel_->show();
    panel_->raise();

    if (motion::enabled()) {
        auto *group = new QParallelAnimationGroup(this);
        auto *slide = new QPropertyAnimation(panel_.get(), "pos", group);
        slide->setStartValue(start.topLeft());
        slide->setEndValue(target_.topLeft());
        auto *fade = new QPropertyAnimation(panel_.get(), "windowOpacity", group);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        for (QPropertyAnimation *animation : {slide, fade}) {
            animation->setDuration(milliseconds(fadeInSeconds));
            animation->setEasingCurve(bezier({0.0, 0.0}, {0.58, 1.0}));
            group->addAnimation(animation);
        }
        animation_ = group;
        group->start();
    } else {
        panel_->move(target_.topLeft());
        panel_->setWindowOpacity(1.0);
    }

    hideWork_ = timers_.singleShot(noticeSeconds(notice), [self] {
        if (self) {
            self->hide();
        }
    });
}

void NoticeHUD::hide() {
    hideWork_.reset();
    if (!panel_ || !panel_->isVisible() || fadingOut_) {
        return;
    }
    stopAnimation();
    fadingOut_ = true;
    const quint64 fade = ++generation_;
    if (motion::enabled()) {
        auto *animation = new QPropertyAnimation(panel_.get(), "windowOpacity", this);
        animation->setStartValue(panel_->windowOpacity());
        animation->setEndValue(0.0);
        animation->setDuration(milliseconds(fadeOutSeconds));
        animation->setEasingCurve(bezier({0.42, 0.0}, {0.58, 1.0}));
        animation_ = animation;
        animation->start();
    } else {
        panel_->setWindowOpacity(0.0);
    }
    QPointer<NoticeHUD> self(this);
    fadeEnd_ = timers_.singleShot(fadeOutSeconds, [self, fade] {
        // Only the end of the latest fade orders the panel out: a notice shown during the fade stays.
        if (self && self->generation_ == fade && self->panel_) {
            self->fadingOut_ = false;
            self->panel_->hide();
        }
    });
}

} // namespace tc
