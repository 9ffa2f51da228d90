#include "ui/kit/DesktopOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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
    return canOpen(url) && QDesktopServices::openUrl(url);
}

} // namespace tc::DesktopOpen
