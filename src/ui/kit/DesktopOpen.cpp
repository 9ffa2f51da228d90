#include "ui/kit/DesktopOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tc::DesktopOpen {

std::optional<QString> folderHandler() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess query;
    query.start(program, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("inode/directory")});
    // A lookup in a few text files: a query that hangs is taken as one that cannot answer.
    if (!query.waitForFinished(2000) || query.exitStatus() != QProcess::NormalExit) {
        query.kill();
        query.waitForFinished(200);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool openUrl(const QUrl &url) {
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) {
        const std::optional<QString> handler = folderHandler();
        if (handler && handler->isEmpty()) {
            return false;
        }
    }
    return QDesktopServices::openUrl(url);
}

} // namespace tc::DesktopOpen
