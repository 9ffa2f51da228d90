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
// (commitDataRequest), and SIGTERM, SIGINT and SIGHUP, which quit the event loop cleanly. Call once, on the
// main thread, after the application object exists; the model must live until the event loop has ended.
void installQuitHooks(AppModel &model);

} // namespace tc
