#pragma once

#include <string>

namespace tc {

// Writes one line to the system log (syslog, facility user, level error) and to standard error.
// Thread: any.
void systemLog(const std::string &line);

} // namespace tc
