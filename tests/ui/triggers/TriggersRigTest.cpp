// End to end on the headless rig: a new document's starter shortcuts, and a shortcut recorded in the Triggers
// screen and a word typed into its editor, pressed and typed with XTest in another window, play their sounds
// on the rig's sound server.

#include "app/AppModel.h"
#include "app/shell/AppAssembly.h"
#include "support/MonitorCapture.h"
#include "support/Rig.h"
#include "support/ScopedEnv.h"
#include "ui/ShellTestApp.h"
#include "ui/triggers/TriggerEditor.h"
#include "ui/triggers/TriggersView.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// Xlib's event-type macros clash with Qt's names.
#undef KeyPress
#undef KeyRelease

namespace tc::test {
namespace {

// Runs the event loop until `done` holds, at most `ms` milliseconds.
bool processUntil(const std::function<bool()> &done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

void processFor(int ms) {
    processUntil([] { return false; }, ms);
}

QAction *findAction(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions()) {
        if (action->menu()) {
            if (QAction *found = findAction(action->menu(), text)) {
                return found;
            }
        } else if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

// Another application's window with the keyboard focus, where the keys are typed.
class OtherWindow {
public:
    OtherWindow() : display_(XOpenDisplay(nullptr)) {
        if (!display_) {
            return;
        }
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 300, 200, 0, 0, 0xffffff);
        XStoreName(display_, window_, "typing here");
        XMapRaised(display_, window_);
        XSync(display_, False);
    }
    ~OtherWindow() {
        if (display_) {
            XDestroyWindow(display_, window_);
            XCloseDisplay(display_);
        }
    }
    bool ok() const { return display_ != nullptr; }
    // Gives the window the keyboard focus once the window manager has mapped it (focusing a window that is not
    // viewable yet is an X error).
    bool focus() {
        const bool viewable = processUntil([this] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(display_, window_, &attributes) != 0 && attributes.map_state == IsViewable;
        });
        if (viewable) {
            XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
            XSync(display_, False);
        }
        return viewable;
    }
    unsigned keycode(KeySym symbol) const { return XKeysymToKeycode(display_, symbol); }
    // Presses the keys down in order and lets them go in reverse.
    void chord(std::initializer_list<KeySym> symbols) {
        for (KeySym symbol : symbols) {
            XTestFakeKeyEvent(display_, keycode(symbol), True, CurrentTime);
        }
        for (auto it = std::rbegin(symbols); it != std::rend(symbols); ++it) {
            XTestFakeKeyEvent(display_, keycode(*it), False, CurrentTime);
        }
        XSync(display_, False);
    }
    void type(const char *letters) {
        for (const char *c = letters; *c; ++c) {
            chord({*c == ' ' ? XK_space : static_cast<KeySym>(*c)});
        }
    }

private:
    Display *display_;
    Window window_ = 0;
};

bool heard(MonitorCapture &capture) {
    return findSound(capture.recorded(), 0.02f).found;
}

TEST(TriggersRig, ARecordedShortcutAndATypedWordPlayTheirSoundsWhenTypedInAnotherWindow) {
    shellApp();
    RigX x(RigX::Options{true, false});
    RigPulse pulse;
    TempDir home;
    ScopedEnv data("XDG_DATA_HOME", (home.path() / "data").string());
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "config").string());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);

    AppAssembly assembly;
    AppModel &model = assembly.model();
    // Only triggers make sound: no key of any profile plays, and no trigger is there yet.
    model.commitEdit([](AppData &document) {
        for (Profile &profile : document.profiles) {
            profile.baseSoundID = "none";
            profile.keys.clear();
        }
        document.triggers.clear();
        document.settings.masterVolume = 1.0;
        document.settings.hasCompletedOnboarding = true;
    });
    model.start();
    ASSERT_TRUE(processUntil([&] { return model.soundsReady() && model.permissionGranted(); }));

    OtherWindow other;
    ASSERT_TRUE(other.ok());

    TriggersView view(model, {});
    view.resize(1200, 800);
    view.show();

    // A shortcut trigger, recorded by pressing Ctrl+Shift+J in the program.
    view.addShortcutButton()->click();
    view.editor()->captureArea()->click();
    ASSERT_TRUE(view.editor()->isRecording());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier, other.keycode(XK_j), 0, 0);
    QCoreApplication::sendEvent(&view, &press);
    const Trigger &shortcut = model.data().triggers.front();
    ASSERT_EQ(shortcut.kind, Trigger::Kind::shortcut(38, 0x60000));
    ASSERT_EQ(shortcut.soundID, "synth.tada");

    // A word trigger, typed into the editor's field, with another sound chosen from the menu.
    view.addWordButton()->click();
    QLineEdit *field = view.editor()->wordField();
    field->clear();
    QTest::keyClicks(field, "Ship!");
    QAction *boing = findAction(view.editor()->buildSoundMenu(), QStringLiteral("Boing"));
    ASSERT_NE(boing, nullptr);
    boing->trigger();
    ASSERT_EQ(model.data().triggers.back().kind, Trigger::Kind::word("ship"));
    ASSERT_EQ(model.data().triggers.back().soundID, "synth.boing");

    ASSERT_TRUE(other.focus());
    // The output stream runs by now; give the idle null sink the time it takes to start carrying sound.
    processFor(3000);

    {
        MonitorCapture capture;
        other.chord({XK_j}); // the key alone plays nothing
        other.chord({XK_Shift_L, XK_j});
        processFor(1000);
        EXPECT_FALSE(heard(capture));
        other.chord({XK_Control_L, XK_Shift_L, XK_j});
        EXPECT_TRUE(processUntil([&] { return heard(capture); }, 5000)) << "the recorded shortcut played nothing";
    }
    processFor(2500); // let the shortcut's sound end

    {
        MonitorCapture capture;
        other.type("ship"); // nothing until the word ends
        processFor(1000);
        EXPECT_FALSE(heard(capture));
        other.type(" ");
        EXPECT_TRUE(processUntil([&] { return heard(capture); }, 5000)) << "the typed word played nothing";
    }
    model.prepareToQuit();
}

// A first launch's starter triggers are the PC keyboard's Ctrl+S (Ta-da) and Ctrl+Q: the chords a Linux user
// presses for save and quit, not Super+S and Super+Q.
TEST(TriggersRig, TheStarterShortcutsPlayOnCtrlSAndCtrlQInAnotherWindow) {
    shellApp();
    RigX x(RigX::Options{true, false});
    RigPulse pulse;
    TempDir home;
    ScopedEnv data("XDG_DATA_HOME", (home.path() / "data").string());
    ScopedEnv config("XDG_CONFIG_HOME", (home.path() / "config").string());
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);

    AppAssembly assembly;
    AppModel &model = assembly.model();
    // The new document's triggers as they are; only the keys of the profiles are silenced.
    ASSERT_GE(model.data().triggers.size(), 2u);
    EXPECT_EQ(model.data().triggers[0].kind, Trigger::Kind::shortcut(1, 0x40000));
    EXPECT_EQ(model.data().triggers[0].soundID, "synth.tada");
    EXPECT_EQ(model.data().triggers[1].kind, Trigger::Kind::shortcut(12, 0x40000));
    model.commitEdit([](AppData &document) {
        for (Profile &profile : document.profiles) {
            profile.baseSoundID = "none";
            profile.keys.clear();
        }
        document.settings.masterVolume = 1.0;
        document.settings.hasCompletedOnboarding = true;
    });
    model.start();
    ASSERT_TRUE(processUntil([&] { return model.soundsReady() && model.permissionGranted(); }));

    OtherWindow other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(other.focus());
    // Give the idle null sink the time it takes to start carrying sound.
    processFor(3000);

    {
        MonitorCapture capture;
        other.chord({XK_s});
        other.chord({XK_Super_L, XK_s}); // the other system's chord plays nothing here
        other.chord({XK_Control_L, XK_Shift_L, XK_s});
        processFor(1000);
        EXPECT_FALSE(heard(capture));
        other.chord({XK_Control_L, XK_s});
        EXPECT_TRUE(processUntil([&] { return heard(capture); }, 5000)) << "Ctrl+S played nothing";
    }
    processFor(2500); // let Ta-da end

    {
        MonitorCapture capture;
        other.chord({XK_Super_L, XK_q});
        processFor(1000);
        EXPECT_FALSE(heard(capture));
        other.chord({XK_Control_L, XK_q});
        EXPECT_TRUE(processUntil([&] { return heard(capture); }, 5000)) << "Ctrl+Q played nothing";
    }
    model.prepareToQuit();
}

} // namespace
} // namespace tc::test
