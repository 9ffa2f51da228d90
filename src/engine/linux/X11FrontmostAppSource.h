#pragma once

#include "engine/FrontmostAppSource.h"
#include "engine/linux/DesktopEntries.h"

#include <memory>
#include <optional>
#include <string>

namespace tc {

// The frontmost application on an X11 session: follows the root window's _NET_ACTIVE_WINDOW on its own
// connection and thread ("Tapchime.app") and names the window's application with DesktopEntries. Windows of
// this process (_NET_WM_PID) are never reported. Needs a window manager that sets _NET_ACTIVE_WINDOW.
class X11FrontmostAppSource final : public FrontmostAppSource {
public:
    // Connects to `display` (empty: $DISPLAY). Returns nothing when no X server answers (a native Wayland
    // session, no display at all). The installed applications are read on the source's thread.
    static std::unique_ptr<X11FrontmostAppSource> open(const std::string &display = {});
    // The same, naming windows from the given entries.
    static std::unique_ptr<X11FrontmostAppSource> open(const std::string &display, DesktopEntries entries);

    ~X11FrontmostAppSource() override;
    void start(Handler handler) override;

private:
    struct Impl;
    static std::unique_ptr<X11FrontmostAppSource> openWith(const std::string &display,
                                                           std::optional<DesktopEntries> entries);
    explicit X11FrontmostAppSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace tc
