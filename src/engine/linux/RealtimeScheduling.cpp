#include "engine/linux/RealtimeScheduling.h"

#include "engine/linux/DBusCalls.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tc {

namespace {

constexpr const char *kService = "org.freedesktop.RealtimeKit1";
constexpr const char *kPath = "/org/freedesktop/RealtimeKit1";
constexpr const char *kSystemBusSocket = "unix:path=/var/run/dbus/system_bus_socket";

// Lowers the process's limit of real-time CPU time without a blocking call (never raises it).
void limitRealtimeTime(long long microseconds) {
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0) {
        return;
    }
    const auto wanted = static_cast<rlim_t>(std::max(microseconds, 1LL));
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= wanted && limit.rlim_cur <= wanted) {
        return;
    }
    const rlim_t hard = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(limit.rlim_max, wanted);
    limit.rlim_max = hard;
    limit.rlim_cur = std::min(limit.rlim_cur == RLIM_INFINITY ? hard : limit.rlim_cur, hard);
    setrlimit(RLIMIT_RTTIME, &limit);
}

// A RealtimeKit property of integer type (int32 or int64), or nothing.
std::optional<long long> property(DBusConnection *bus, const char *name, int timeoutMs) {
    dbus::Message call(dbus_message_new_method_call(kService, kPath, DBUS_INTERFACE_PROPERTIES, "Get"));
    if (!call) {
        return std::nullopt;
    }
    const char *interface = kService;
    if (!dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                  DBUS_TYPE_INVALID)) {
        return std::nullopt;
    }
    auto reply = dbus::send(bus, call.get(), timeoutMs);
    DBusMessageIter args, variant;
    if (!reply || !dbus_message_iter_init(reply.get(), &args) ||
        dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_VARIANT) {
        return std::nullopt;
    }
    dbus_message_iter_recurse(&args, &variant);
    switch (dbus_message_iter_get_arg_type(&variant)) {
    case DBUS_TYPE_INT32: {
        dbus_int32_t value = 0;
        dbus_message_iter_get_basic(&variant, &value);
        return value;
    }
    case DBUS_TYPE_INT64: {
        dbus_int64_t value = 0;
        dbus_message_iter_get_basic(&variant, &value);
        return value;
    }
    default:
        return std::nullopt;
    }
}

// Calls a RealtimeKit method on thread `tid` with one more argument of `type`; true when granted.
template <class Value>
bool ask(DBusConnection *bus, const char *method, pid_t tid, int type, Value value, int timeoutMs) {
    dbus::Message call(dbus_message_new_method_call(kService, kPath, kService, method));
    const dbus_uint64_t thread = static_cast<dbus_uint64_t>(tid);
    return call && dbus_message_append_args(call.get(), DBUS_TYPE_UINT64, &thread, type, &value, DBUS_TYPE_INVALID) &&
           dbus::send(bus, call.get(), timeoutMs) != nullptr;
}

std::string systemBusAddress(const RealtimeScheduling::Options &options) {
    if (!options.systemBus.empty()) {
        return options.systemBus;
    }
    if (const char *address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address && *address) {
        return address;
    }
    return kSystemBusSocket;
}

} // namespace

pid_t RealtimeScheduling::currentThreadId() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

RealtimeScheduling::Result RealtimeScheduling::raiseCurrentThread(int priority) {
    return raise(currentThreadId(), priority);
}

RealtimeScheduling::Result RealtimeScheduling::raise(pid_t tid, int priority, const Options &options) {
    if (options.direct) {
        limitRealtimeTime(kDefaultRealtimeLimitUs);
        sched_param parameters{};
        parameters.sched_priority = priority;
        if (sched_setscheduler(tid, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameters) == 0) {
            return Result::realtime;
        }
    }

    // The desktop's broker: it grants real time only to a process whose RLIMIT_RTTIME is within its own
    // limit, and only up to its highest priority.
    auto bus = dbus::openBus(systemBusAddress(options), options.timeoutMs);
    if (!bus) {
        return Result::unchanged;
    }
    const auto maxPriority = property(bus.get(), "MaxRealtimePriority", options.timeoutMs);
    const auto maxTime = property(bus.get(), "RTTimeUSecMax", options.timeoutMs);
    limitRealtimeTime(std::min(maxTime.value_or(kDefaultRealtimeLimitUs), kDefaultRealtimeLimitUs));
    const int granted = std::max(1, static_cast<int>(std::min<long long>(priority, maxPriority.value_or(priority))));
    if (ask(bus.get(), "MakeThreadRealtime", tid, DBUS_TYPE_UINT32, static_cast<dbus_uint32_t>(granted),
            options.timeoutMs)) {
        return Result::realtime;
    }
    const auto minNice = property(bus.get(), "MinNiceLevel", options.timeoutMs);
    const int nice = static_cast<int>(std::max<long long>(options.niceLevel, minNice.value_or(options.niceLevel)));
    if (ask(bus.get(), "MakeThreadHighPriority", tid, DBUS_TYPE_INT32, static_cast<dbus_int32_t>(nice),
            options.timeoutMs)) {
        return Result::highPriority;
    }
    return Result::unchanged;
}

} // namespace tc
