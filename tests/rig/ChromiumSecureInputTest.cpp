// A real browser on the accessibility bus: Chromium, with its accessibility switched on as a screen reader
// does, shows a local page with a text field and a password field on the rig's X server. Clicking into the
// password field turns secure input on; clicking into the text field turns it off again.

#include "engine/linux/AtspiSecureInput.h"
#include "support/ChildProcess.h"
#include "support/PrivateBus.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

constexpr const char *kTitle = "Tapchime field test";
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The two fields fill the page, one above the other, so a click in the upper or lower half of the window
// lands in one of them whatever the browser's frame takes.
std::string page() {
    std::ostringstream html;
    html << "<!doctype html><html><head><meta charset='utf-8'><title>" << kTitle << "</title><style>"
         << "body{margin:0}input{display:block;box-sizing:border-box;width:100%;height:50vh;margin:0;border:0}"
         << "</style></head><body><input id='name' aria-label='Name' autofocus>"
         << "<input id='secret' type='password' aria-label='Password'></body></html>\n";
    return html.str();
}

std::string browserPath() {
    const char *path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/chromium";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// The browser's top-level window, found by the page's title; 0 when it does not show within the timeout.
unsigned long browserWindow(std::chrono::milliseconds timeout) {
    unsigned long window = 0;
    waitUntil(
        [&] {
            try {
                window = std::stoul(runCommand(std::string("xdotool search --onlyvisible --name '") + kTitle +
                                               "' 2>/dev/null | head -n 1"));
            } catch (const std::exception &) {
                window = 0;
            }
            return window != 0;
        },
        timeout);
    return window;
}

// Activates the window and clicks at a point of it, as a user does.
void clickAt(unsigned long window, int x, int y) {
    const std::string id = std::to_string(window);
    runCommand("xdotool windowactivate --sync " + id + " >/dev/null 2>&1; xdotool mousemove --window " + id + " " +
               std::to_string(x) + " " + std::to_string(y) + " click 1");
}

} // namespace

TEST(ChromiumSecureInput, AFocusedPasswordFieldOfAWebPageIsSecureInput) {
    const std::string browser = browserPath();
    ASSERT_FALSE(browser.empty()) << "chromium is not installed: scripts/setup --test installs it";

    RigX x(RigX::Options{.windowManager = true});
    PrivateBus bus;
    TempDir home;
    ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", bus.address());
    ScopedEnv accessibilityBus("AT_SPI_BUS_ADDRESS", std::nullopt);
    ScopedEnv homeFolder("HOME", home.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "config").string());
    ScopedEnv cache("XDG_CACHE_HOME", (home.path() / "cache").string());
    // The session as a screen reader leaves it: the reader says it runs. Chromium itself reports its pages on
    // the accessibility bus only when started with --force-renderer-accessibility (the session's flag alone
    // is not enough for it).
    runCommand("dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus "
               "org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:ScreenReaderEnabled "
               "variant:boolean:true >/dev/null");

    const auto file = home.path() / "fields.html";
    std::ofstream(file) << page();
    std::vector<std::string> arguments{browser,
                                       "--force-renderer-accessibility",
                                       "--user-data-dir=" + (home.path() / "profile").string(),
                                       "--no-first-run",
                                       "--no-default-browser-check",
                                       "--disable-gpu",
                                       "--password-store=basic",
                                       "--window-position=0,0",
                                       "--window-size=" + std::to_string(kWidth) + "," + std::to_string(kHeight),
                                       "--app=file://" + file.string()};
    if (geteuid() == 0) {
        arguments.insert(arguments.begin() + 1, "--no-sandbox"); // Chromium refuses its sandbox as root
    }

    AtspiSecureInput secure;
    ASSERT_TRUE(waitUntil([&] { return secure.listening(); }, 15s));
    ChildProcess chromium(arguments);
    const unsigned long window = browserWindow(60s);
    ASSERT_NE(window, 0ul) << "the browser's window never showed";

    auto focusName = [&] { clickAt(window, kWidth / 2, kHeight / 4); };
    auto focusPassword = [&] { clickAt(window, kWidth / 2, kHeight * 3 / 4); };

    // The browser builds its accessibility tree and starts sending events a while after its window shows.
    // Move the focus until the first event arrives; from then on every change must be seen.
    const bool eventsFlow = waitUntil(
        [&] {
            focusPassword();
            if (waitUntil([&] { return secure.passwordFocused(); }, 1s)) {
                return true;
            }
            focusName();
            std::this_thread::sleep_for(100ms);
            return false;
        },
        60s);
    ASSERT_TRUE(eventsFlow) << "no focus event of the password field ever reached the accessibility listener";

    focusName();
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }, 10s)) << "focus left the password field";
    focusPassword();
    EXPECT_TRUE(waitUntil([&] { return secure.passwordFocused() && secure.secureInputOn(); }, 10s))
        << "focus came back to the password field";
    focusName();
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }, 10s)) << "focus left it again";

    chromium.terminate(10s);
}
