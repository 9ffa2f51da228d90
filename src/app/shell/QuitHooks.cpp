#include "app/shell/QuitHooks.h"

#include "app/AppModel.h"
#include "engine/linux/SystemLog.h"
#include "engine/linux/XConnectionLoss.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace tc {

namespace {

int signalSockets[2] = {-1, -1}; // [0] written by the handler, [1] read on the main thread

void onSignal(int signalNumber) {
    const int saved = errno;
    const auto byte = static_cast<char>(signalNumber);
    // Async-signal-safe; a full socket only loses a repeat of a signal that is already on its way.
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
    errno = saved;
}

// The model while the event loop runs: what an abrupt end saves. Plain pointers, so that nothing here has a
// destructor that could run on another thread as the process ends.
std::atomic<AppModel *> runningModel{nullptr};
QtMessageHandler previousMessageHandler = nullptr;
std::atomic<bool> ending{false};

bool onMainThread() {
    auto *app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Saves what is pending and ends the process at once, without running any destructor: other threads still run
// and own what those destructors would take apart. Main thread only.
[[noreturn]] void saveAndEnd(const char *why) {
    AppModel *model = runningModel.load();
    if (!ending.exchange(true) && model != nullptr) {
        systemLog(std::string("Tapchime: ") + why + "; the settings are saved and Tapchime ends");
        model->prepareToQuit();
    }
    std::fflush(nullptr);
    _exit(1);
}

constexpr const char *xServerGone = "the connection to the X server was lost";

[[noreturn]] void saveAndEndForXServer() {
    saveAndEnd(xServerGone);
}

// From any thread: the main thread saves and ends the process as soon as it looks at its events.
void askMainThreadToEnd() {
    if (auto *app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app, [] { saveAndEnd(xServerGone); }, Qt::QueuedConnection);
    }
}

// The toolkit says this, on the main thread, just before it calls exit() for a broken X connection.
void watchMessages(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (previousMessageHandler != nullptr) {
        previousMessageHandler(type, context, message);
    }
    if (type == QtWarningMsg && runningModel != nullptr &&
        message.startsWith(QLatin1String("The X11 connection broke")) && onMainThread()) {
        saveAndEnd(xServerGone);
    }
}

// exit() called by a library while the event loop runs: on the main thread the settings are saved first; on
// another thread the main thread is asked to end it, and the global destructors never run beside other threads.
void endAtExit() {
    if (runningModel == nullptr) {
        return; // the program ends the ordinary way
    }
    if (onMainThread()) {
        saveAndEnd("a library ended the program");
    }
    askMainThreadToEnd();
    sleep(XConnectionLoss::kForeignHoldSeconds);
    _exit(1);
}

} // namespace

UnixSignalWatcher::UnixSignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent) : QObject(parent) {
    if (signalSockets[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        return; // signals keep their default action
    }
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixSignalWatcher::readSignals);
    for (const int number : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
}

UnixSignalWatcher::~UnixSignalWatcher() = default;

void UnixSignalWatcher::readSignals() {
    char bytes[16];
    for (;;) {
        const auto count = ::read(signalSockets[1], bytes, sizeof bytes);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            emit received(static_cast<unsigned char>(bytes[i]));
        }
    }
}

void installQuitHooks(AppModel &model) {
    auto *app = QCoreApplication::instance();
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [&model] {
        runningModel = nullptr; // from here on the program ends the ordinary way
        model.prepareToQuit();
    });
    if (auto *gui = qobject_cast<QGuiApplication *>(app)) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui,
                         [&model](QSessionManager &) { model.prepareToQuit(); });
    }
    auto *watcher = new UnixSignalWatcher({SIGTERM, SIGINT, SIGHUP}, app);
    QObject::connect(watcher, &UnixSignalWatcher::received, app, [] { QCoreApplication::quit(); });

    // The X server going away: every Xlib connection's loss, and the toolkit's own, end here.
    runningModel = &model;
    QObject::connect(&model, &QObject::destroyed, app, [] { runningModel = nullptr; });
    XConnectionLoss::install(saveAndEndForXServer, askMainThreadToEnd);
    previousMessageHandler = qInstallMessageHandler(watchMessages);
    std::atexit(endAtExit);
}

} // namespace tc
