#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tc {

// The engine's writeFileAtomically for Qt callers: writes `bytes` to a temporary file in the target's folder
// and renames it over `path`, so a reader sees either the old file or the whole new one. The folder is created
// when missing. Returns a description of the failure, or nothing on success. Any thread.
std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace tc
