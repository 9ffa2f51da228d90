#pragma once

#include <QString>
#include <optional>

namespace tc {

// The running version as the program shows it: the short version, a space and the build in parentheses
// ("1.0.3 (42)"); a missing or empty part shows as "?". The first form reads the build-time values.
QString versionText();
QString versionText(const std::optional<QString> &shortVersion, const std::optional<QString> &build);

} // namespace tc
