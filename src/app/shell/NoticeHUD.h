#pragma once

#include "app/Clock.h"
#include "app/Notice.h"
#include "app/Silence.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractAnimation;
class QWidget;

namespace tc {

// The notice panel: a small floating capsule at the top centre of the screen under the pointer that answers
// the on/off hotkey and silent typing wherever the user is typing. It never activates the program or takes
// the keyboard focus, slides in (0.22 s) and hides itself after noticeSeconds() with a 0.18 s fade; a newer
// notice replaces the one on screen at once.
//
// Exists once for the life of the process (made by main). The panel window is made on the first notice and
// reused. Main thread only; timings go through the model's TimerFactory, so tests drive them with a fake clock.
class NoticeHUD : public QObject {
    Q_OBJECT
public:
    using Actions = NoticeActions;
    // Makes the view of one notice; the panel takes ownership and sizes itself to the view's size hint.
    using ViewFactory = std::function<QWidget *(const Notice &notice, const Actions &actions)>;
    // Removes the cause of `silence`: the silence the notice was shown for, not whatever is current by then.
    using FixHandler = std::function<void(const Silence &silence)>;

    // The screens as the panel sees them; a seam so tests can take every screen away.
    struct Screens {
        std::vector<QRect> frames;    // whole screens, in the system's order
        std::vector<QRect> available; // the same screens without panels and docks
        int primary = -1;             // index of the main screen, -1 when none
        QPoint cursor;
    };
    using ScreenProbe = std::function<Screens()>;

    static constexpr double fadeInSeconds = 0.22;
    static constexpr double fadeOutSeconds = 0.18;
    static constexpr int slideDistance = 12; // the notice drops this far while it fades in
    static constexpr int topMargin = 12;     // gap between the visible area's top and the notice

    NoticeHUD(TimerFactory &timers, ViewFactory makeView, FixHandler fix, QObject *parent = nullptr);
    ~NoticeHUD() override;

    // Shows the notice, replacing any notice on screen, and restarts the automatic hide. With no screen at all
    // there is nowhere to show it: nothing happens.
    void show(const Notice &notice);
    // Fades the notice out now; only cancels the automatic hide when nothing is shown.
    void hide();

    // On screen and not fading out.
    bool isShowing() const;
    // The notice last shown (also while it fades out); nothing before the first.
    const std::optional<Notice> &notice() const { return notice_; }
    // The panel window, made on the first notice; the final frame it slides into.
    QWidget *panel() const;
    QRect targetFrame() const { return target_; }

    // Jumps a running slide or fade to its end state (the automatic hide is unaffected).
    void finishAnimations();

    void setScreenProbe(ScreenProbe probe);
    // Whether the desktop draws translucent windows (a compositing manager runs). Without one the panel is cut
    // to the notice's opaque shape, so its clear margin does not show as a black frame. A seam for tests.
    void setCompositingProbe(std::function<bool()> probe);
    static bool desktopComposites();
    static Screens currentScreens();
    // The first screen whose frame holds the pointer, else the main screen, else the first; -1 without screens.
    static int screenIndex(const Screens &screens);
    // The frame of a notice of `size` on a screen whose visible area is `available`: horizontally centred,
    // its top `topMargin` below the top of the area.
    static QRect frameFor(const QRect &available, const QSize &size);

private:
    void ensurePanel();
    void stopAnimation();

    TimerFactory &timers_;
    ViewFactory makeView_;
    FixHandler fix_;
    ScreenProbe probe_;
    std::function<bool()> compositing_;
    std::unique_ptr<QWidget> panel_;
    QPointer<QWidget> view_;
    QPointer<QAbstractAnimation> animation_;
    std::unique_ptr<Scheduler::Timer> hideWork_;
    std::unique_ptr<Scheduler::Timer> fadeEnd_;
    std::optional<Notice> notice_;
    QRect target_;
    bool fadingOut_ = false;
    quint64 generation_ = 0; // grows with every show and fade, so a stale fade end cannot hide a newer notice
};

} // namespace tc
