#include "engine/linux/DBusCalls.h"

namespace tc::dbus {

Message send(DBusConnection *connection, DBusMessage *call, int timeoutMs, Error *error) {
    Error local;
    Error &e = error ? *error : local;
    return Message(dbus_connection_send_with_reply_and_block(connection, call, timeoutMs, &e.error));
}

Message call(DBusConnection *connection, const char *destination, const char *path, const char *interface,
             const char *method, int timeoutMs, const char *argument, bool autoStart, Error *error) {
    Message message(dbus_message_new_method_call(destination, path, interface, method));
    if (!message) {
        return nullptr;
    }
    dbus_message_set_auto_start(message.get(), autoStart);
    if (argument && !dbus_message_append_args(message.get(), DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID)) {
        return nullptr;
    }
    return send(connection, message.get(), timeoutMs, error);
}

Connection openBus(const std::string &address, int timeoutMs) {
    Error error;
    Connection connection(dbus_connection_open_private(address.c_str(), &error.error));
    if (!connection) {
        return nullptr;
    }
    dbus_connection_set_exit_on_disconnect(connection.get(), false);
    // dbus_bus_register() would wait for the default 25 s.
    auto hello = call(connection.get(), DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello", timeoutMs);
    const char *name = nullptr;
    if (!hello || !dbus_message_get_args(hello.get(), nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID)) {
        return nullptr;
    }
    dbus_bus_set_unique_name(connection.get(), name);
    return connection;
}

} // namespace tc::dbus
