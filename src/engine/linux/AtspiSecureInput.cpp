#include "engine/linux/AtspiSecureInput.h"
#include "engine/linux/DBusCalls.h"
#include "engine/linux/ThreadName.h"

#include <atspi/atspi-constants.h>
#include <dbus/dbus.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tc {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCallTimeoutMs = 500;   // a call to an application or the screen saver
constexpr int kSetupTimeoutMs = 2000; // finding and joining a bus (the accessibility bus may be launched)
constexpr auto kCheckEvery = std::chrono::seconds(1);
constexpr auto kRetryEvery = std::chrono::seconds(10);

constexpr const char *kObjectEvents = "org.a11y.atspi.Event.Object";
constexpr const char *kWindowEvents = "org.a11y.atspi.Event.Window";
constexpr const char *kAccessible = "org.a11y.atspi.Accessible";

using dbus::call;
using dbus::Connection;
using dbus::Error;
using dbus::Message;

Connection openBus(const std::string &address) {
    return dbus::openBus(address, kSetupTimeoutMs);
}

bool addMatch(DBusConnection *connection, const char *rule) {
    return call(connection, DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "AddMatch", kSetupTimeoutMs,
                rule) != nullptr;
}

// The session bus's address, without starting one: libdbus would launch a bus through X11 when none is named.
std::optional<std::string> sessionBusAddress() {
    if (const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
        return std::string(address);
    }
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string socket = std::string(runtime) + "/bus";
        if (access(socket.c_str(), F_OK) == 0) {
            return "unix:path=" + socket;
        }
    }
    return std::nullopt;
}

struct FieldRef {
    std::string sender;
    std::string path;
};

} // namespace

// All but the atomics belongs to the thread.
struct AtspiSecureInput::Impl {
    std::atomic<bool> password = false;
    std::atomic<bool> locked = false;
    std::atomic<bool> listening = false;
    int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::thread thread;

    Connection session;
    Connection accessibility;
    Clock::time_point nextSessionTry{};
    Clock::time_point nextAccessibilityTry{};
    std::optional<FieldRef> field; // the password field that had the focus last
    int screenSaver = 0;           // which screen-saver interface answers: 0 freedesktop, 1 GNOME, 2 none

    ~Impl() {
        if (wake >= 0) {
            close(wake);
        }
    }

    void run() {
        nameCurrentThread("Tapchime.sec");
        auto nextCheck = Clock::now();
        for (;;) {
            const auto now = Clock::now();
            if (!session && now >= nextSessionTry) {
                connectSession();
            }
            if (!accessibility && session && now >= nextAccessibilityTry) {
                connectAccessibility();
            }
            if (Clock::now() >= nextCheck) {
                checkScreenSaver();
                recheckField();
                nextCheck = Clock::now() + kCheckEvery;
            }
            drain(session);
            drain(accessibility);

            std::vector<pollfd> fds{{wake, POLLIN, 0}};
            for (auto *connection : {session.get(), accessibility.get()}) {
                int fd = -1;
                if (connection && dbus_connection_get_unix_fd(connection, &fd)) {
                    fds.push_back({fd, POLLIN, 0});
                }
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextCheck - Clock::now());
            const int timeout = static_cast<int>(std::max<int64_t>(0, wait.count()));
            if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
                return;
            }
            if (fds[0].revents & POLLIN) {
                return;
            }
            for (auto *connection : {session.get(), accessibility.get()}) {
                if (connection) {
                    dbus_connection_read_write(connection, 0);
                }
            }
        }
    }

    void connectSession() {
        nextSessionTry = Clock::now() + kRetryEvery;
        if (auto address = sessionBusAddress()) {
            session = openBus(*address);
        }
    }

    void connectAccessibility() {
        nextAccessibilityTry = Clock::now() + kRetryEvery;
        std::string address;
        if (const char *fixed = std::getenv("AT_SPI_BUS_ADDRESS"); fixed && *fixed) {
            address = fixed;
        } else {
            // Starts the accessibility bus launcher when the session has one, as every toolkit does.
            auto reply =
                call(session.get(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", kSetupTimeoutMs);
            const char *text = nullptr;
            if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID) ||
                !text || !*text) {
                return;
            }
            address = text;
        }
        auto connection = openBus(address);
        if (!connection ||
            !addMatch(connection.get(),
                      "type='signal',interface='org.a11y.atspi.Event.Object',member='StateChanged'") ||
            !addMatch(connection.get(), "type='signal',interface='org.a11y.atspi.Event.Window'")) {
            return;
        }
        // Toolkits send events only once someone has registered for them.
        for (const char *event : {"object:state-changed:focused", "window:activate", "window:deactivate"}) {
            if (!call(connection.get(), "org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                      "org.a11y.atspi.Registry", "RegisterEvent", kSetupTimeoutMs, event)) {
                return;
            }
        }
        accessibility = std::move(connection);
        listening = true;
    }

    void drain(Connection &connection) {
        if (!connection) {
            return;
        }
        while (Message message{dbus_connection_pop_message(connection.get())}) {
            if (connection == accessibility) {
                handleAccessibility(message.get());
            }
        }
        if (!dbus_connection_get_is_connected(connection.get())) {
            if (connection == accessibility) {
                listening = false;
                password = false;
                field.reset();
            }
            connection.reset();
        }
    }

    void handleAccessibility(DBusMessage *message) {
        if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_SIGNAL) {
            return;
        }
        const char *sender = dbus_message_get_sender(message);
        const char *path = dbus_message_get_path(message);
        if (!sender || !path) {
            return;
        }
        if (dbus_message_is_signal(message, kObjectEvents, "StateChanged")) {
            DBusMessageIter args;
            const char *kind = nullptr;
            dbus_int32_t gained = 0;
            if (!dbus_message_iter_init(message, &args) || dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_STRING) {
                return;
            }
            dbus_message_iter_get_basic(&args, &kind);
            if (!dbus_message_iter_next(&args) || dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_INT32) {
                return;
            }
            dbus_message_iter_get_basic(&args, &gained);
            if (std::strcmp(kind, "focused") != 0) {
                return;
            }
            if (gained) {
                focusMovedTo(sender, path);
            } else if (field && field->sender == sender && field->path == path) {
                field.reset();
                password = false;
            }
        } else if (dbus_message_is_signal(message, kWindowEvents, "Deactivate")) {
            // The password field's window lost the focus; its field may keep its own focused state.
            if (field && field->sender == sender) {
                password = false;
            }
        } else if (dbus_message_is_signal(message, kWindowEvents, "Activate")) {
            if (field && field->sender == sender) {
                password = isFocused(*field);
            }
        }
    }

    void focusMovedTo(const char *sender, const char *path) {
        auto reply = call(accessibility.get(), sender, path, kAccessible, "GetRole", kCallTimeoutMs);
        dbus_uint32_t role = 0;
        if (reply && dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_UINT32, &role, DBUS_TYPE_INVALID) &&
            role == ATSPI_ROLE_PASSWORD_TEXT) {
            field = FieldRef{sender, path};
            password = true;
        } else {
            field.reset();
            password = false;
        }
    }

    bool isFocused(const FieldRef &ref) {
        auto reply =
            call(accessibility.get(), ref.sender.c_str(), ref.path.c_str(), kAccessible, "GetState", kCallTimeoutMs);
        DBusMessageIter args, words;
        if (!reply || !dbus_message_iter_init(reply.get(), &args) ||
            dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_ARRAY) {
            return false;
        }
        dbus_message_iter_recurse(&args, &words);
        std::array<dbus_uint32_t, 2> state{};
        for (size_t i = 0; i < state.size() && dbus_message_iter_get_arg_type(&words) == DBUS_TYPE_UINT32; ++i) {
            dbus_message_iter_get_basic(&words, &state[i]);
            dbus_message_iter_next(&words);
        }
        constexpr unsigned kFocusedBit = ATSPI_STATE_FOCUSED;
        return (state[kFocusedBit / 32] >> (kFocusedBit % 32)) & 1u;
    }

    // A field that went away (its application quit) or lost the focus without telling ends secure input.
    void recheckField() {
        if (field && password && accessibility && !isFocused(*field)) {
            field.reset();
            password = false;
        }
    }

    void checkScreenSaver() {
        if (!session) {
            locked = false;
            return;
        }
        struct Interface {
            const char *name, *path;
        };
        static constexpr std::array<Interface, 2> kInterfaces{
            Interface{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
            Interface{"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"}};
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (screenSaver >= static_cast<int>(kInterfaces.size())) {
                screenSaver = 0; // none answered last time: ask again from the start
                locked = false;
                return;
            }
            const auto &screen = kInterfaces[static_cast<size_t>(screenSaver)];
            Error error;
            // Never start a screen saver just to ask it.
            auto reply = call(session.get(), screen.name, screen.path, screen.name, "GetActive", kCallTimeoutMs,
                              nullptr, false, &error);
            dbus_bool_t active = false;
            if (reply && dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_BOOLEAN, &active, DBUS_TYPE_INVALID)) {
                locked = active != 0;
                return;
            }
            if (!error.is(DBUS_ERROR_SERVICE_UNKNOWN) && !error.is(DBUS_ERROR_NAME_HAS_NO_OWNER) &&
                !error.is(DBUS_ERROR_UNKNOWN_METHOD) && !error.is(DBUS_ERROR_UNKNOWN_OBJECT) &&
                !error.is(DBUS_ERROR_UNKNOWN_INTERFACE)) {
                locked = false; // it exists but did not answer in time: ask it again next second
                return;
            }
            ++screenSaver;
        }
        locked = false;
    }
};

AtspiSecureInput::AtspiSecureInput() : impl_(std::make_unique<Impl>()) {
    if (impl_->wake >= 0) {
        impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    }
}

AtspiSecureInput::~AtspiSecureInput() {
    if (impl_->thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] auto written = write(impl_->wake, &one, sizeof one);
        impl_->thread.join(); // at most one bus call's timeout
    }
}

bool AtspiSecureInput::secureInputOn() const {
    return impl_->password || impl_->locked;
}

bool AtspiSecureInput::passwordFocused() const {
    return impl_->password;
}

bool AtspiSecureInput::screenLocked() const {
    return impl_->locked;
}

bool AtspiSecureInput::listening() const {
    return impl_->listening;
}

} // namespace tc
