#include "ui/kit/DesktopOpen.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace tc::DesktopOpen {

namespace {

// The browsers xdg-open tries, in its order, when the desktop names no application for a link.
const char *const fallbackBrowsers[] = {
    "x-www-browser",    "firefox",       "iceweasel",   "seamonkey", "mozilla", "epiphany", "konqueror", "chromium",
    "chromium-browser", "google-chrome", "www-browser", "links2",    "elinks",  "links",    "lynx",      "w3m",
};

bool hasFallbackBrowser() {
    if (!qEnvironmentVariableIsEmpty("BROWSER")) {
        return true;
    }
    for (const char *browser : fallbackBrowsers) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty()) {
            return true;
        }
    }
    return false;
}

// How long xdg-open has to say that nothing opens the address; one still running then is showing it (a browser it
// started in the foreground) and is left to run.
constexpr int kOpenerWaitMs = 3000;

// Runs `program` on `argument` in a process of its own and answers whether it failed: ended with an error, or
// could not be started. A go-between process starts it and waits for it, so that an opener still running after
// the wait is neither stopped nor left behind unreaped (the system takes it over). Only async-signal-safe calls
// follow the fork.
bool openerFailed(const QString &program, const QString &argument) {
    QByteArray path = QFile::encodeName(program);
    QByteArray arg = argument.toLocal8Bit();
    char *const argv[] = {path.data(), arg.data(), nullptr};
    const pid_t between = fork();
    if (between < 0) {
        return true;
    }
    if (between == 0) {
        const pid_t opener = fork();
        if (opener < 0) {
            _exit(1);
        }
        if (opener == 0) {
            execv(argv[0], argv);
            _exit(127);
        }
        const timespec step{0, 20'000'000};
        for (int waited = 0; waited < kOpenerWaitMs; waited += 20) {
            int status = 0;
            if (waitpid(opener, &status, WNOHANG) == opener) {
                _exit(WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1);
            }
            nanosleep(&step, nullptr);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(between, &status, 0) < 0) {
        if (errno != EINTR) {
            return true;
        }
    }
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

} // namespace

std::optional<QString> defaultHandler(const QString &mimeType) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess query;
    query.start(program, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    // A lookup in a few text files: a query that hangs is taken as one that cannot answer.
    if (!query.waitForFinished(2000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        query.waitForFinished(200);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

std::optional<QString> folderHandler() {
    return defaultHandler(QStringLiteral("inode/directory"));
}

bool canOpen(const QUrl &url) {
    if (url.isLocalFile()) {
        if (!QFileInfo(url.toLocalFile()).isDir()) {
            return true;
        }
        const std::optional<QString> handler = folderHandler();
        return !handler || !handler->isEmpty();
    }
    const std::optional<QString> handler = defaultHandler(QStringLiteral("x-scheme-handler/") + url.scheme());
    return !handler || !handler->isEmpty() || hasFallbackBrowser();
}

bool openUrl(const QUrl &url) {
    if (!canOpen(url)) {
        return false;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        return QDesktopServices::openUrl(url); // a sandbox's portal, say
    }
    return !openerFailed(opener, url.toString(QUrl::FullyEncoded));
}

} // namespace tc::DesktopOpen
