#include "engine/linux/SystemLog.h"

#include <cstdio>
#include <syslog.h>

namespace tc {

void systemLog(const std::string &line) {
    syslog(LOG_USER | LOG_ERR, "%s", line.c_str());
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace tc
