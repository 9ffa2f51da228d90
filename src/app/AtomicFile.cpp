#include "app/AtomicFile.h"

#include "engine/AtomicFile.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>

namespace tc {

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return QStringLiteral("The folder %1 couldn't be created.").arg(info.absolutePath());
    }
    try {
        writeFileAtomically(std::filesystem::path(path.toStdString()),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const std::filesystem::filesystem_error &error) {
        return QString::fromLocal8Bit(error.what());
    }
    return std::nullopt;
}

} // namespace tc
