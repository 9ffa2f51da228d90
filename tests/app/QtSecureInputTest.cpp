// A real toolkit on the accessibility bus: a focused Qt password field turns secure input on, another field
// turns it off again. Runs Qt on the rig's X server with the session's accessibility bus started on demand.

#include "engine/linux/AtspiSecureInput.h"
#include "support/PrivateBus.h"
#include "support/Rig.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <thread>

using namespace tc;
using namespace tc::test;

TEST(QtSecureInput, AFocusedQtPasswordFieldIsSecureInput) {
    RigX x(RigX::Options{.windowManager = true});
    PrivateBus bus;
    ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", bus.address());
    ScopedEnv accessibilityBus("AT_SPI_BUS_ADDRESS", std::nullopt);
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    // Qt talks to the accessibility bus only when asked to (a screen reader switches this on for the session).
    ScopedEnv accessibility("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");

    // Listen before Qt starts: Qt asks the registry which events anyone listens to when its bridge comes up,
    // and learns of later listeners only from a signal that a loaded machine can deliver before Qt watches for it.
    AtspiSecureInput secure;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!secure.listening() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(secure.listening());

    int argc = 1;
    char name[] = "test_app";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QWidget window;
    auto *plain = new QLineEdit(&window);
    auto *password = new QLineEdit(&window);
    password->setEchoMode(QLineEdit::Password);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(plain);
    layout->addWidget(password);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 10000));

    plain->setFocus();
    QTest::qWait(300);
    EXPECT_FALSE(secure.secureInputOn());

    // Move the focus until the first event arrives (the bridge may still be registering the window); from
    // then on every change must be seen.
    const bool eventsFlow = QTest::qWaitFor(
        [&] {
            password->setFocus();
            if (QTest::qWaitFor([&] { return secure.passwordFocused(); }, 500)) {
                return true;
            }
            plain->setFocus();
            QTest::qWait(50);
            return false;
        },
        30000);
    ASSERT_TRUE(eventsFlow) << "no focus event ever reached the accessibility listener";
    plain->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !secure.secureInputOn(); }, 10000));
    password->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return secure.secureInputOn(); }, 10000));
}
