#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

namespace tc::bench {

// The application, timing every event it delivers from the event loop: the longest such delivery since the last
// reset is the longest time the main thread was held (a click, a timer, a paint), when nothing else answers.
class TimedApplication : public QApplication {
public:
    TimedApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    void resetLongest() { longestNs_ = 0; }
    qint64 longestNs() const { return longestNs_; }

    static TimedApplication &instance() { return *static_cast<TimedApplication *>(QCoreApplication::instance()); }

private:
    QElapsedTimer clock_;
    int depth_ = 0;
    qint64 longestNs_ = 0;
};

// Runs the event loop until it has been quiet for a while (five rounds in a row, 5 ms apart, each taking less
// than 2 ms); returns the clock's reading when the last busy round ended, in nanoseconds.
qint64 runUntilIdle(const QElapsedTimer &clock);

// One user action's figures: the longest single hold of the main thread (the action's own call, or any event
// delivered until the loop is idle) and the time until the window is idle again.
struct Hold {
    double longestMs = 0;
    double idleMs = 0;
};
// Times `step` and what follows it until the event loop is idle.
Hold timeStep(const std::function<void()> &step);

} // namespace tc::bench
