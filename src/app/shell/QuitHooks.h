#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace tc {

class AppModel;

// Turns Unix signals into a Qt signal on the main thread: the handler only writes the signal's number to a
// socket pair, and a socket notifier reads it on the main thread. One watcher per process.
class UnixSignalWatcher final : public QObject {
    Q_OBJECT

public:
    explicit UnixSignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~UnixSignalWatcher() override;

signals:
    void received(int signalNumber);

private:
    void readSignals();
    QSocketNotifier *notifier_ = nullptr;
};

// Makes every way the program ends write what is pending (the debounced save, the press count): Quit and the
// panel's power button (QCoreApplication::quit, then aboutToQuit), the end of the desktop session
// (commitDataRequest), and SIGTERM, SIGINT and SIGHUP, which quit the event loop cleanly.
// The X server going away ends the program too, but not through the event loop: the toolkit calls exit() on the
// main thread when its connection breaks, and Xlib would on the thread that noticed. So the main thread saves
// first and ends the process itself with status 1 (see XConnectionLoss), before exit() could run the global
// destructors while other threads still run; any other exit() while the event loop runs ends the same way.
// Call once, on the main thread, after the application object exists (it has opened its display then); the model
// must live until the event loop has ended.
void installQuitHooks(AppModel &model);

} // namespace tc
