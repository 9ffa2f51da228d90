#include "app/shell/SecondLaunch.h"

#include "app/shell/SingleInstance.h"
#include "engine/linux/DataFolderLock.h"
#include "engine/linux/SystemLog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdlib>
#include <sys/types.h>
#include <thread>

namespace tc::SecondLaunch {

namespace {

constexpr std::chrono::milliseconds kRetryInterval{50};

QtMessageHandler previousHandler = nullptr;

QString notAnsweringTitle() {
    return QStringLiteral("Tapchime is already running but not answering");
}

// `holder`: the holder's process id, or 0.
QString notAnsweringText(pid_t holder) {
    const QString which = holder > 0 ? QStringLiteral(" (process %1)").arg(holder) : QString();
    return QStringLiteral("Wait a moment and try again. If it still doesn't answer, end it%1 in your system monitor, "
                          "then open Tapchime again.")
        .arg(which);
}

// Qt ends a program whose display cannot be reached with a fatal message; here that ends only the dialog, and the
// launch with its own status, the user having been told on stderr.
void endOnFatal(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (type == QtFatalMsg) {
        std::_Exit(kNotAnsweringStatus);
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

// Platforms that draw where nobody sees: a dialog there would wait for ever.
bool canShowDialogs() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && !platform.startsWith(QLatin1String("minimal"));
}

void tellNotAnswering(pid_t holder, int &argc, char **argv, const std::function<void(QApplication &)> &appearance) {
    systemLog(QStringLiteral("%1. %2").arg(notAnsweringTitle(), notAnsweringText(holder)).toStdString());
    previousHandler = qInstallMessageHandler(endOnFatal);
    QApplication app(argc, argv);
    if (!canShowDialogs()) {
        return;
    }
    if (appearance) {
        appearance(app);
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tapchime"), notAnsweringTitle(), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("notAnsweringAlert"));
    box.setInformativeText(notAnsweringText(holder));
    box.exec();
}

} // namespace

Outcome reachHolder(DataFolderLock &lock, const QString &serverName, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    SingleInstance holder(serverName, nullptr, [](const std::string &) {});
    for (;;) {
        if (lock.retry() == DataFolderLock::State::held) {
            return Outcome::lockTaken;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return Outcome::notAnswering;
        }
        // A holder that goes while it is asked drops the connection, and the lock is tried again at once.
        if (holder.askRunningCopy(left) == SingleInstance::Answer::answered) {
            return Outcome::shown;
        }
        std::this_thread::sleep_for(std::min(left, kRetryInterval));
    }
}

std::optional<int> handOver(DataFolderLock &lock, int &argc, char **argv,
                            const std::function<void(QApplication &)> &appearance) {
    if (lock.state() == DataFolderLock::State::unavailable) {
        systemLog("Tapchime: cannot lock " + lock.file().string() + " (" + lock.problem() +
                  "); starting without it, so another copy could open the same data");
        return std::nullopt;
    }
    if (lock.held()) {
        return std::nullopt;
    }
    Outcome outcome = Outcome::notAnswering;
    {
        QCoreApplication asking(argc, argv);
        outcome = reachHolder(lock, SingleInstance::defaultServerName(), kPatience);
    }
    switch (outcome) {
    case Outcome::lockTaken:
        return std::nullopt;
    case Outcome::shown:
        return 0;
    case Outcome::notAnswering:
        break;
    }
    tellNotAnswering(lock.holder(), argc, argv, appearance);
    return kNotAnsweringStatus;
}

} // namespace tc::SecondLaunch
