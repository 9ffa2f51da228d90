#pragma once

#include <dbus/dbus.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace tc::test {

// A client of a D-Bus bus that plays a service or an application in a test: it owns a name (optionally),
// answers method calls on its own thread and sends signals.
class BusPeer {
public:
    using Answer = std::function<DBusMessage *(DBusMessage *call)>; // a reply, or null for an error

    BusPeer(const std::string &address, const char *name, Answer answer) : answer_(std::move(answer)) {
        DBusError error;
        dbus_error_init(&error);
        connection_ = dbus_connection_open_private(address.c_str(), &error);
        if (!connection_ || !dbus_bus_register(connection_, &error)) {
            dbus_error_free(&error);
            throw std::runtime_error("cannot join the bus " + address);
        }
        dbus_connection_set_exit_on_disconnect(connection_, false);
        if (name) {
            dbus_bus_request_name(connection_, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, &error);
            dbus_error_free(&error);
        }
        thread_ = std::thread([this] { run(); });
    }
    ~BusPeer() {
        stop_ = true;
        thread_.join();
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
    BusPeer(const BusPeer &) = delete;
    BusPeer &operator=(const BusPeer &) = delete;

    // Sends a message (a signal) and frees it.
    void send(DBusMessage *message) {
        dbus_connection_send(connection_, message, nullptr);
        dbus_connection_flush(connection_);
        dbus_message_unref(message);
    }

private:
    void run() {
        while (!stop_ && dbus_connection_read_write(connection_, 20)) {
            while (DBusMessage *message = dbus_connection_pop_message(connection_)) {
                if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
                    DBusMessage *reply = answer_(message);
                    if (!reply) {
                        reply = dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, "no such method");
                    }
                    dbus_connection_send(connection_, reply, nullptr);
                    dbus_message_unref(reply);
                }
                dbus_message_unref(message);
            }
        }
    }

    DBusConnection *connection_ = nullptr;
    Answer answer_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

} // namespace tc::test
