#include "engine/linux/WaylandSession.h"

#include <cstdlib>
#include <string_view>

namespace tc {

bool isWaylandSession() {
    const char *waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    const char *sessionType = std::getenv("XDG_SESSION_TYPE");
    return (waylandDisplay && *waylandDisplay) || (sessionType && std::string_view(sessionType) == "wayland");
}

} // namespace tc
