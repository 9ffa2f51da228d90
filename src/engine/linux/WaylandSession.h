#pragma once

namespace tc {

// True on a Wayland session: WAYLAND_DISPLAY is set and not empty, or XDG_SESSION_TYPE is "wayland". An X
// display may answer there too (Xwayland), but it sees only the X clients, so the X11 backends would hear
// and name a part of the desktop only. Reads the environment; any thread.
bool isWaylandSession();

} // namespace tc
