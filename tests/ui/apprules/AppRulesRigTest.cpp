// On the rig's X server with a window manager: two applications' windows come to the front in turn, and the
// program plays one's profile, goes silent in the other, logs both switches and shows them on the App rules
// screen.

#include "engine/linux/DesktopEntries.h"
#include "engine/linux/X11FrontmostAppSource.h"
#include "support/Rig.h"
#include "ui/ModelStates.h"
#include "ui/apprules/AppRulesView.h"
#include "ui/apprules/RightNowCard.h"
#include "ui/apprules/RuleCard.h"
#include "ui/apprules/SwitchLogCard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace tc::test {
namespace {

// Another client's top-level windows on the rig's display (Xlib lives at the end of the file: its macros
// clash with Qt's names).
class ForeignWindows {
public:
    explicit ForeignWindows(const std::string &display);
    ~ForeignWindows();
    ForeignWindows(const ForeignWindows &) = delete;
    ForeignWindows &operator=(const ForeignWindows &) = delete;
    // A mapped window with this WM_CLASS, owned by a process other than this one; returns its id.
    unsigned long open(const char *instance, const char *className);

private:
    void *display_;
};

// Brings a window to the front through the window manager.
void activate(unsigned long window) {
    runCommand("xdotool windowactivate --sync " + std::to_string(window) + " >/dev/null 2>&1");
}

// Delivers the watcher's reports until `done` holds or ten seconds pass.
bool deliverUntil(Harness &harness, const std::function<bool()> &done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        harness.time.runPosted();
    }
    return true;
}

TEST(AppRulesRig, ActivatedWindowsSwitchTheProfileOrSilenceAndAreLogged) {
    shellApp();
    RigX x(RigX::Options{.windowManager = true});
    Harness harness;
    const std::string display = x.display();
    harness.makeFrontmost = [display]() -> std::unique_ptr<FrontmostAppSource> {
        return X11FrontmostAppSource::open(display, DesktopEntries({}, {}));
    };
    AppModel &model = harness.started();
    const Profile arcade = profileNamed(model, "Arcade");
    const std::string everywhere = model.data().activeProfile().name;
    model.setRule("Alpha", "Alpha", arcade.id);
    model.setRule("Beta", "Beta", std::nullopt);
    AppRulesView view(model, AppDirectory{});

    ForeignWindows windows(display);
    const unsigned long neutral = windows.open("gamma", "Gamma");
    const unsigned long alpha = windows.open("alpha", "Alpha");
    const unsigned long beta = windows.open("beta", "Beta");

    activate(neutral);
    ASSERT_TRUE(deliverUntil(harness, [&] { return model.currentAppBundleID() == "Gamma"; }));
    EXPECT_EQ(harness.router.config()->profile->name, everywhere);
    const auto logged = model.switchLog().size(); // the first report may or may not have been this one

    activate(alpha);
    ASSERT_TRUE(deliverUntil(harness, [&] { return model.currentAppBundleID() == "Alpha"; }));
    EXPECT_FALSE(harness.router.config()->muted);
    EXPECT_EQ(harness.router.config()->profile->id, arcade.id);
    EXPECT_EQ(view.rightNowCard()->headlineText(), "Arcade");
    EXPECT_EQ(view.rightNowCard()->appText(), "ALPHA");
    EXPECT_TRUE(view.cardFor("Alpha")->isActive());

    activate(beta);
    ASSERT_TRUE(deliverUntil(harness, [&] { return model.currentAppBundleID() == "Beta"; }));
    EXPECT_TRUE(harness.router.config()->muted);
    EXPECT_EQ(model.silence()->kind, Silence::Kind::app);
    EXPECT_EQ(view.rightNowCard()->headlineText(), "Muted");
    EXPECT_TRUE(view.cardFor("Beta")->isActive());
    EXPECT_FALSE(view.cardFor("Alpha")->isActive());

    ASSERT_EQ(model.switchLog().size(), logged + 2);
    EXPECT_EQ(model.switchLog()[0].appName, "Beta");
    EXPECT_EQ(model.switchLog()[0].profileName, "Muted");
    EXPECT_EQ(model.switchLog()[1].appName, "Alpha");
    EXPECT_EQ(model.switchLog()[1].profileName, "Arcade");
    flushDeletes();
    const auto rows = view.switchLogCard()->rows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].app, "Beta");
    EXPECT_EQ(rows[1].profile, "Arcade");

    harness.model.reset(); // stops the watcher's thread before the server goes
}

} // namespace
} // namespace tc::test

// --- Xlib, last --------------------------------------------------------------------------------------------

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tc::test {
namespace {

ForeignWindows::ForeignWindows(const std::string &display) : display_(XOpenDisplay(display.c_str())) {
    if (!display_) {
        throw std::runtime_error("cannot open " + display);
    }
}

ForeignWindows::~ForeignWindows() {
    XCloseDisplay(static_cast<Display *>(display_));
}

unsigned long ForeignWindows::open(const char *instance, const char *className) {
    auto *display = static_cast<Display *>(display_);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0);
    XClassHint hint{const_cast<char *>(instance), const_cast<char *>(className)};
    XSetClassHint(display, window, &hint);
    // Another process's window: the program never reports its own.
    long pid = 999999;
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&pid), 1);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

} // namespace
} // namespace tc::test
