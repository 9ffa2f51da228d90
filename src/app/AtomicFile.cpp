#include "app/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tc {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return QStringLiteral("The folder %1 couldn't be created.").arg(info.absolutePath());
    }
    QSaveFile file(path);
    // The temporary file must be renamed over the target, never written in place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size()) {
        const auto error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

} // namespace tc
