#include "app/NoticeHUD.h"

#include "app/Motion.h"

#include <QCursor>
#include <QEasingCurve>
#include <QGuiApplication>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

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

} // namespace

NoticeHUD::NoticeHUD(Timers &timers, ViewFactory makeView, FixHandler fix, QObject *parent)
    : QObject(parent), timers_(timers), makeView_(std::move(makeView)), fix_(std::move(fix)),
      probe_(&NoticeHUD::currentScreens) {}

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

    hideWork_ = timers_.after(noticeSeconds(notice), [self] {
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
    fadeEnd_ = timers_.after(fadeOutSeconds, [self, fade] {
        // Only the end of the latest fade orders the panel out: a notice shown during the fade stays.
        if (self && self->generation_ == fade && self->panel_) {
            self->fadingOut_ = false;
            self->panel_->hide();
        }
    });
}

} // namespace tc
