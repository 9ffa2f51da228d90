#include "Holds.h"

#include <QThread>
#include <algorithm>

namespace tc::bench {

TimedApplication::TimedApplication(int &argc, char **argv) : QApplication(argc, argv) {
    clock_.start();
}

bool TimedApplication::notify(QObject *receiver, QEvent *event) {
    // Only the outermost delivery counts: what it sends on (a child's paint, a layout) is part of its hold.
    const qint64 start = depth_ == 0 ? clock_.nsecsElapsed() : 0;
    ++depth_;
    const bool handled = QApplication::notify(receiver, event);
    --depth_;
    if (depth_ == 0) {
        longestNs_ = std::max(longestNs_, clock_.nsecsElapsed() - start);
    }
    return handled;
}

qint64 runUntilIdle(const QElapsedTimer &clock) {
    qint64 lastBusy = clock.nsecsElapsed();
    for (int quiet = 0; quiet < 5;) {
        const qint64 before = clock.nsecsElapsed();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Outside a running event loop nothing given to deleteLater() goes unless asked for; the program's loop
        // deletes it on every turn (a page left behind goes here).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const qint64 after = clock.nsecsElapsed();
        if (after - before > 2'000'000) {
            lastBusy = after;
            quiet = 0;
        } else {
            ++quiet;
            QThread::msleep(5);
        }
    }
    return lastBusy;
}

Hold timeStep(const std::function<void()> &step) {
    TimedApplication &app = TimedApplication::instance();
    QElapsedTimer clock;
    clock.start();
    app.resetLongest();
    step();
    const qint64 own = clock.nsecsElapsed();
    const qint64 idle = runUntilIdle(clock);
    return {static_cast<double>(std::max(own, app.longestNs())) / 1e6, static_cast<double>(idle) / 1e6};
}

} // namespace tc::bench
