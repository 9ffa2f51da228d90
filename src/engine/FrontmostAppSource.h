#pragma once

#include <functional>
#include <string>

namespace tc {

// An application as the program names it: its id (on Linux the desktop-entry id, the .desktop file name
// without the extension, such as "org.gnome.Terminal") and the name shown to the user.
struct AppIdentity {
    std::string bundleId;
    std::string name;

    friend bool operator==(const AppIdentity &, const AppIdentity &) = default;
};

// Tells which application is in front. The program's own windows are never reported.
class FrontmostAppSource {
public:
    using Handler = std::function<void(const AppIdentity &)>;

    virtual ~FrontmostAppSource() = default;

    // Called once, on the main thread. The source first reports the application in front now (when it knows
    // one) and then every activation, also of the application already in front. The handler is called on
    // the source's own thread (any thread but the caller's); it must not call back into the source.
    // Destroying the source stops the reports; no handler call is running or follows once it has returned.
    virtual void start(Handler handler) = 0;
};

} // namespace tc
