// The real parts behind the model's seams: the autostart entry, the settings store, atomic files, Qt timers,
// the quit hooks and the assembly of the whole model on the real collaborators.

#include "AppModelHarness.h"

#include "app/AtomicFile.h"
#include "app/LoginItem.h"
#include "app/QtTime.h"
#include "app/StatsStore.h"
#include "app/shell/AppAssembly.h"
#include "app/shell/KeyboardAccessHelp.h"
#include "app/shell/QuitHooks.h"
#include "model/Json.h"
#include "support/QtTestApp.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace tc::test {
namespace {

QApplication &application() {
    return qtApp();
}

// Runs the event loop until `done` holds, at most a generous while.
bool processUntil(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

QString readText(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

TEST(XdgAutostart, WritesReadsBackAndRemovesTheEntry) {
    QTemporaryDir dir;
    const auto entry = dir.path() + "/autostart/tapchime.desktop";
    XdgAutostartLoginItem item(entry, "/opt/Tap chime/bin/tapchime");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(item.setEnabled(true)); // no error; the folder is made
    EXPECT_TRUE(item.isEnabled());
    const auto text = readText(entry);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/Tap chime/bin/tapchime\"\n")) << text.toStdString();

    EXPECT_FALSE(item.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(item.setEnabled(false)); // nothing to remove is no failure

    // An entry the desktop hid counts as off.
    QFile::remove(entry);
    writeFileAtomically(entry, "[Desktop Entry]\nType=Application\nExec=tapchime\nHidden=true\n");
    EXPECT_FALSE(item.isEnabled());

    XdgAutostartLoginItem unwritable("/proc/tapchime-test/autostart/tapchime.desktop", "/usr/bin/tapchime");
    EXPECT_TRUE(unwritable.setEnabled(true));
}

TEST(XdgAutostart, ExecArgumentsAreQuotedAndEscaped) {
    EXPECT_TRUE(XdgAutostartLoginItem::entryText("/usr/bin/tapchime").contains("\nExec=/usr/bin/tapchime\n"));
    EXPECT_TRUE(XdgAutostartLoginItem::entryText("/home/a$b/100%/tap").contains(R"(Exec="/home/a\\$b/100%%/tap")"));
}

TEST(SettingsStatsStore, KeepsDayAndCountInTheSettingsFile) {
    QTemporaryDir dir;
    const auto path = dir.path() + "/Tapchime/Tapchime.conf";
    {
        SettingsStatsStore store(path);
        EXPECT_FALSE(store.day());
        EXPECT_FALSE(store.count());
        store.setDay("2024-05-14");
        store.setCount(40);
        store.sync();
    }
    SettingsStatsStore again(path);
    EXPECT_EQ(again.day(), QString("2024-05-14"));
    EXPECT_EQ(again.count(), 40);
    EXPECT_TRUE(readText(path).contains("stats.day=2024-05-14"));
}

TEST(AtomicFile, ReplacesWholeAndReportsFailures) {
    QTemporaryDir dir;
    const auto path = dir.path() + "/sub/data.json";
    EXPECT_FALSE(writeFileAtomically(path, "first"));
    EXPECT_FALSE(writeFileAtomically(path, "second"));
    EXPECT_EQ(readText(path), "second");
    EXPECT_EQ(QDir(dir.path() + "/sub").entryList(QDir::Files), QStringList{"data.json"});
    EXPECT_TRUE(writeFileAtomically("/proc/tapchime-test/data.json", "x"));
}

TEST(QtTimerFactory, FiresOnceRepeatsCancelsAndKeepsThePostingOrder) {
    application();
    QtTimerFactory timers;
    int once = 0;
    int repeated = 0;
    int cancelled = 0;
    auto single = timers.singleShot(0.01, [&] { ++once; });
    auto gone = timers.singleShot(0.01, [&] { ++cancelled; });
    gone.reset();
    std::unique_ptr<TimerFactory::Timer> repeating;
    repeating = timers.repeat(0.01, [&] {
        if (++repeated == 3) {
            repeating.reset(); // a timer may end itself
        }
    });
    std::vector<int> order;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            timers.post([&order, i] { order.push_back(i); });
        }
    });
    poster.join();
    ASSERT_TRUE(processUntil([&] { return once == 1 && repeated == 3 && order.size() == 100; }));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(once, 1);
    EXPECT_EQ(repeated, 3);
    EXPECT_EQ(cancelled, 0);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

TEST(QuitHooks, SigtermQuitsCleanlyAndWritesThePendingSave) {
    auto &app = application();
    Harness harness;
    auto &model = harness.make();
    installQuitHooks(model);
    model.renameProfile(model.data().profiles[0].id, "Saved at quit");
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); }); // never hang the test
    EXPECT_EQ(app.exec(), 0);
    EXPECT_EQ(harness.writeCount(), 1u);
    EXPECT_EQ(decodeAppData(harness.readDocument().toStdString()).profiles[0].name, "Saved at quit");
}

TEST(KeyboardAccessHelp, OnWaylandOffersTheGroupCommandToCopy) {
    application();
    KeyboardAccessHelp wayland(KeyboardAccessHelp::Session::wayland);
    ASSERT_NE(wayland.copyButton(), nullptr);
    wayland.copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "sudo usermod -aG input $USER");
    EXPECT_EQ(wayland.copyButton()->text(), "Copied");

    KeyboardAccessHelp x11(KeyboardAccessHelp::Session::x11);
    EXPECT_EQ(x11.copyButton(), nullptr);
    EXPECT_TRUE(x11.explanation().contains("Nothing to do"));
}

TEST(AppAssembly, BuildsAndStartsTheModelOnTheRealPartsWithoutADisplayOrSoundServer) {
    application();
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8() + "/data");
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8() + "/config");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("PULSE_SERVER", "unix:" + home.path().toUtf8() + "/no-server");
    {
        AppAssembly assembly;
        auto &model = assembly.model();
        EXPECT_EQ(model.data().activeProfile().name, "Meme mode");
        model.start();
        EXPECT_TRUE(processUntil([&] { return model.soundsReady(); }));
        EXPECT_GT(model.allSounds().size(), 60u);
        EXPECT_TRUE(model.sound("synth.meow"));
        model.setSetting(&AppSettings::masterVolume, 0.5);
        model.prepareToQuit();
    }
    const auto document = readText(home.path() + "/data/Tapchime/data.json");
    ASSERT_FALSE(document.isEmpty());
    EXPECT_EQ(decodeAppData(document.toStdString()).settings.masterVolume, 0.5);
}

} // namespace
} // namespace tc::test
