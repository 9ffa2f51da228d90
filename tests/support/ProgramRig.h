#pragma once

// What a rig test needs around the real program it starts: a home of its own and an Xlib connection to the rig's
// X server. Include after GoogleTest: Xlib defines macros (None, Bool) that clash with its names.

#include "support/Rig.h"
#include "support/ScopedEnv.h"

#include <X11/Xlib.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace tc::test {

// A home folder of its own for the program, set in the environment while the object lives: no document, no
// running copy, no session bus, a private runtime folder, and Qt on the rig's X server.
class ProgramHome {
public:
    ProgramHome() = default;
    const std::filesystem::path &path() const { return home_.path(); }

private:
    static std::filesystem::path privateFolder(const std::filesystem::path &path) {
        std::filesystem::create_directories(path);
        chmod(path.c_str(), 0700);
        return path;
    }

    TempDir home_;
    std::filesystem::path runtime_ = privateFolder(home_.path() / "run");
    ScopedEnv home{"HOME", home_.path().string()};
    ScopedEnv config{"XDG_CONFIG_HOME", (home_.path() / "config").string()};
    ScopedEnv data{"XDG_DATA_HOME", (home_.path() / "data").string()};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", runtime_.string()};
    ScopedEnv platform{"QT_QPA_PLATFORM", "xcb"};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home_.path() / "no-bus").string()};
};

// An Xlib connection that ignores X errors (a window may go while it is looked at); closed, and Xlib's own error
// handler back, however the test ends.
struct RigDisplay {
    explicit RigDisplay(const std::string &name) : display(XOpenDisplay(name.c_str())) {}
    ~RigDisplay() {
        close();
        XSetErrorHandler(previous);
    }
    RigDisplay(const RigDisplay &) = delete;
    RigDisplay &operator=(const RigDisplay &) = delete;
    void close() {
        if (display) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }

    static int ignoreErrors(Display *, XErrorEvent *) { return 0; }
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    Display *display = nullptr;
};

inline std::string fileText(const std::filesystem::path &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace tc::test
