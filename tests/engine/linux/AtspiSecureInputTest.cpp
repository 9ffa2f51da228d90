// Secure input from the accessibility bus and the screen saver, against private D-Bus daemons with
// applications played by the test: a focused password field and an active screen saver turn it on.

#include "engine/linux/AtspiSecureInput.h"
#include "support/BusPeer.h"
#include "support/PrivateBus.h"
#include "support/Wait.h"

#include <atomic>
#include <cstdlib>
#include <dbus/dbus.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

using namespace tc;
using namespace tc::test;
using namespace std::chrono_literals;

namespace {

constexpr dbus_uint32_t kRolePasswordText = 40; // ATSPI_ROLE_PASSWORD_TEXT
constexpr dbus_uint32_t kRoleText = 61;         // ATSPI_ROLE_TEXT
constexpr dbus_uint32_t kStateFocused = 12;     // ATSPI_STATE_FOCUSED

// Emits an AT-SPI object event from `peer`: StateChanged(kind, detail1, 0, variant 0, {}) from `path`.
void stateChanged(BusPeer &peer, const char *path, const char *kind, int detail1) {
    DBusMessage *signal = dbus_message_new_signal(path, "org.a11y.atspi.Event.Object", "StateChanged");
    DBusMessageIter args, variant, dict;
    dbus_message_iter_init_append(signal, &args);
    dbus_int32_t one = detail1, two = 0, zero = 0;
    dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &kind);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &one);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &two);
    dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "i", &variant);
    dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT32, &zero);
    dbus_message_iter_close_container(&args, &variant);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &dict);
    dbus_message_iter_close_container(&args, &dict);
    peer.send(signal);
}

// Emits an AT-SPI window event ("Activate", "Deactivate") from `peer`.
void windowEvent(BusPeer &peer, const char *path, const char *member) {
    DBusMessage *signal = dbus_message_new_signal(path, "org.a11y.atspi.Event.Window", member);
    const char *empty = "";
    dbus_int32_t zero = 0;
    dbus_message_append_args(signal, DBUS_TYPE_STRING, &empty, DBUS_TYPE_INT32, &zero, DBUS_TYPE_INT32, &zero,
                             DBUS_TYPE_INVALID);
    peer.send(signal);
}

// A screen saver service whose state the test sets.
struct FakeScreenSaver {
    std::atomic<bool> active = false;
    BusPeer peer;
    FakeScreenSaver(const std::string &address, const char *name)
        : peer(address, name, [this](DBusMessage *call) -> DBusMessage * {
              if (!dbus_message_has_member(call, "GetActive")) {
                  return nullptr;
              }
              DBusMessage *reply = dbus_message_new_method_return(call);
              dbus_bool_t value = active;
              dbus_message_append_args(reply, DBUS_TYPE_BOOLEAN, &value, DBUS_TYPE_INVALID);
              return reply;
          }) {}
};

// An application on the accessibility bus: objects with roles and a focused state.
struct FakeAccessibleApp {
    std::mutex lock;
    std::map<std::string, dbus_uint32_t> roles;
    std::string focused;
    BusPeer peer;

    explicit FakeAccessibleApp(const std::string &address)
        : peer(address, nullptr, [this](DBusMessage *call) -> DBusMessage * {
              std::lock_guard guard(lock);
              auto role = roles.find(dbus_message_get_path(call));
              if (role == roles.end()) {
                  return nullptr;
              }
              DBusMessage *reply = dbus_message_new_method_return(call);
              if (dbus_message_has_member(call, "GetRole")) {
                  dbus_message_append_args(reply, DBUS_TYPE_UINT32, &role->second, DBUS_TYPE_INVALID);
              } else if (dbus_message_has_member(call, "GetState")) {
                  dbus_uint32_t words[2] = {focused == role->first ? 1u << kStateFocused : 0u, 0u};
                  const dbus_uint32_t *p = words;
                  dbus_message_append_args(reply, DBUS_TYPE_ARRAY, DBUS_TYPE_UINT32, &p, 2, DBUS_TYPE_INVALID);
              } else {
                  dbus_message_unref(reply);
                  return nullptr;
              }
              return reply;
          }) {
        std::lock_guard guard(lock);
        roles = {{"/app/password", kRolePasswordText}, {"/app/name", kRoleText}, {"/app/window", 69}};
    }

    void focus(const std::string &path) {
        {
            std::lock_guard guard(lock);
            focused = path;
        }
        stateChanged(peer, path.c_str(), "focused", 1);
    }
    void blur(const std::string &path) {
        {
            std::lock_guard guard(lock);
            focused.clear();
        }
        stateChanged(peer, path.c_str(), "focused", 0);
    }
};

// The accessibility registry: takes event registrations.
struct FakeRegistry {
    std::atomic<int> registrations = 0;
    BusPeer peer;
    explicit FakeRegistry(const std::string &address)
        : peer(address, "org.a11y.atspi.Registry", [this](DBusMessage *call) -> DBusMessage * {
              if (!dbus_message_has_member(call, "RegisterEvent")) {
                  return nullptr;
              }
              ++registrations;
              return dbus_message_new_method_return(call);
          }) {}
};

} // namespace

TEST(AtspiSecureInput, WithoutAnyBusItStaysOffAndStopsAtOnce) {
    TempDir nowhere;
    ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (nowhere.path() / "bus").string());
    ScopedEnv accessibility("AT_SPI_BUS_ADDRESS", std::nullopt);
    ScopedEnv runtime("XDG_RUNTIME_DIR", nowhere.path().string());
    {
        AtspiSecureInput secure;
        std::this_thread::sleep_for(100ms);
        EXPECT_FALSE(secure.secureInputOn());
        EXPECT_FALSE(secure.listening());
    }
    // Nor does it start a bus of its own when none is named.
    EXPECT_TRUE(std::filesystem::is_empty(nowhere.path()));
}

TEST(AtspiSecureInput, AnActiveScreenSaverIsSecureInput) {
    for (const char *name : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"}) {
        PrivateBus bus;
        PrivateBus accessibilityBus; // no registry on it: only the screen saver counts here
        ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", bus.address());
        ScopedEnv accessibility("AT_SPI_BUS_ADDRESS", accessibilityBus.address());
        FakeScreenSaver screenSaver(bus.address(), name);
        AtspiSecureInput secure;
        std::this_thread::sleep_for(300ms);
        EXPECT_FALSE(secure.secureInputOn()) << name;
        screenSaver.active = true;
        EXPECT_TRUE(waitUntil([&] { return secure.screenLocked() && secure.secureInputOn(); })) << name;
        screenSaver.active = false;
        EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); })) << name;
    }
}

TEST(AtspiSecureInput, AFocusedPasswordFieldIsSecureInputUntilTheFocusMovesOn) {
    PrivateBus bus;
    PrivateBus accessibilityBus;
    ScopedEnv session("DBUS_SESSION_BUS_ADDRESS", bus.address());
    ScopedEnv accessibility("AT_SPI_BUS_ADDRESS", accessibilityBus.address());
    FakeRegistry registry(accessibilityBus.address());
    AtspiSecureInput secure;
    ASSERT_TRUE(waitUntil([&] { return secure.listening(); }));
    // The registry counts on its own thread: wait for it rather than read it at once.
    EXPECT_TRUE(waitUntil([&] { return registry.registrations == 3; })) << "focus, window activation and deactivation";
    EXPECT_EQ(registry.registrations, 3);

    auto app = std::make_unique<FakeAccessibleApp>(accessibilityBus.address());
    app->focus("/app/password");
    EXPECT_TRUE(waitUntil([&] { return secure.passwordFocused() && secure.secureInputOn(); }));
    app->focus("/app/name");
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }));

    // Focus leaves the field.
    app->focus("/app/password");
    ASSERT_TRUE(waitUntil([&] { return secure.secureInputOn(); }));
    app->blur("/app/password");
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }));

    // The field's window is left and entered again.
    app->focus("/app/password");
    ASSERT_TRUE(waitUntil([&] { return secure.secureInputOn(); }));
    windowEvent(app->peer, "/app/window", "Deactivate");
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }));
    windowEvent(app->peer, "/app/window", "Activate");
    EXPECT_TRUE(waitUntil([&] { return secure.secureInputOn(); }));

    // The application quits with the field focused.
    app.reset();
    EXPECT_TRUE(waitUntil([&] { return !secure.secureInputOn(); }));
}
