#include "app/shell/QuitHooks.h"

#include "app/AppModel.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
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
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, [&model] { model.prepareToQuit(); });
    if (auto *gui = qobject_cast<QGuiApplication *>(app)) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui,
                         [&model](QSessionManager &) { model.prepareToQuit(); });
    }
    auto *watcher = new UnixSignalWatcher({SIGTERM, SIGINT, SIGHUP}, app);
    QObject::connect(watcher, &UnixSignalWatcher::received, app, [] { QCoreApplication::quit(); });
}

} // namespace tc
