#include "app/VersionText.h"

#include "app/BuildInfo.h"

namespace tc {

QString versionText() {
    return versionText(QString::fromUtf8(buildinfo::shortVersion), QString::fromUtf8(buildinfo::buildNumber));
}

QString versionText(const std::optional<QString> &shortVersion, const std::optional<QString> &build) {
    const auto part = [](const std::optional<QString> &value) {
        return value && !value->isEmpty() ? *value : QStringLiteral("?");
    };
    return QStringLiteral("%1 (%2)").arg(part(shortVersion), part(build));
}

} // namespace tc
