#pragma once

#include <dbus/dbus.h>

#include <memory>
#include <string>

// Small RAII wrappers of libdbus for the backends that speak D-Bus themselves on their own threads (the
// accessibility listener, the real-time scheduling request), each on a private connection, every call with a
// timeout of its own.
namespace tc::dbus {

struct ConnectionCloser {
    void operator()(DBusConnection *connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
    void operator()(DBusMessage *message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// A DBusError that frees itself.
struct Error {
    DBusError error;
    Error() { dbus_error_init(&error); }
    ~Error() { dbus_error_free(&error); }
    Error(const Error &) = delete;
    Error &operator=(const Error &) = delete;
    bool is(const char *name) const { return dbus_error_has_name(&error, name); }
};

// Sends a method call and waits at most timeoutMs for the answer; nothing on any error (described in `error`
// when given).
Message send(DBusConnection *connection, DBusMessage *call, int timeoutMs, Error *error = nullptr);

// Calls a method with no argument or one string argument; as send().
Message call(DBusConnection *connection, const char *destination, const char *path, const char *interface,
             const char *method, int timeoutMs, const char *argument = nullptr, bool autoStart = true,
             Error *error = nullptr);

// Opens a private connection to the bus at `address` and says hello, within timeoutMs; nothing on failure.
// A lost connection never ends the process.
Connection openBus(const std::string &address, int timeoutMs);

} // namespace tc::dbus
