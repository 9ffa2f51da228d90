// Real-time scheduling for the key path: directly where the kernel allows it, else from a RealtimeKit played by
// the test on a private bus, which must be asked by the rules it grants by (thread id, its highest priority,
// the process's real-time CPU limit within its own), and a refusal that falls back without harm.

#include "engine/linux/RealtimeScheduling.h"
#include "support/BusPeer.h"
#include "support/PrivateBus.h"

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace tc;
using namespace tc::test;

namespace {

using Result = RealtimeScheduling::Result;

// RealtimeKit as the test configures it; records every request.
struct FakeRealtimeKit {
    struct Config {
        std::optional<int> maxPriority;
        std::optional<long long> maxTimeUs;
        std::optional<int> minNice;
        bool grantsRealtime = true;
        bool grantsHighPriority = true;
    };
    struct Request {
        std::string method;
        uint64_t thread = 0;
        long long value = 0;
        rlim_t limitAtRequest = 0; // the process's hard RLIMIT_RTTIME when the request came
    };

    Config config;
    std::mutex lock;
    std::vector<Request> requests;
    BusPeer peer;

    FakeRealtimeKit(const std::string &address, Config c)
        : config(c), peer(address, "org.freedesktop.RealtimeKit1", [this](DBusMessage *call) { return answer(call); }) {
    }

    std::vector<Request> seen() {
        std::lock_guard guard(lock);
        return requests;
    }

private:
    DBusMessage *answer(DBusMessage *call) {
        if (dbus_message_has_member(call, "Get")) {
            const char *interface = nullptr, *name = nullptr;
            dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                                  DBUS_TYPE_INVALID);
            const std::string property = name ? name : "";
            DBusMessage *reply = dbus_message_new_method_return(call);
            DBusMessageIter args, variant;
            dbus_message_iter_init_append(reply, &args);
            if (property == "MaxRealtimePriority" && config.maxPriority) {
                dbus_int32_t value = *config.maxPriority;
                dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "i", &variant);
                dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT32, &value);
            } else if (property == "MinNiceLevel" && config.minNice) {
                dbus_int32_t value = *config.minNice;
                dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "i", &variant);
                dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT32, &value);
            } else if (property == "RTTimeUSecMax" && config.maxTimeUs) {
                dbus_int64_t value = *config.maxTimeUs;
                dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "x", &variant);
                dbus_message_iter_append_basic(&variant, DBUS_TYPE_INT64, &value);
            } else {
                dbus_message_unref(reply);
                return nullptr; // an older RealtimeKit without the property
            }
            dbus_message_iter_close_container(&args, &variant);
            return reply;
        }
        const bool realtime = dbus_message_has_member(call, "MakeThreadRealtime");
        if (!realtime && !dbus_message_has_member(call, "MakeThreadHighPriority")) {
            return nullptr;
        }
        Request request;
        request.method = dbus_message_get_member(call);
        dbus_uint64_t thread = 0;
        if (realtime) {
            dbus_uint32_t priority = 0;
            dbus_message_get_args(call, nullptr, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_UINT32, &priority,
                                  DBUS_TYPE_INVALID);
            request.value = priority;
        } else {
            dbus_int32_t nice = 0;
            dbus_message_get_args(call, nullptr, DBUS_TYPE_UINT64, &thread, DBUS_TYPE_INT32, &nice, DBUS_TYPE_INVALID);
            request.value = nice;
        }
        request.thread = thread;
        rlimit limit{};
        getrlimit(RLIMIT_RTTIME, &limit);
        request.limitAtRequest = limit.rlim_max;
        {
            std::lock_guard guard(lock);
            requests.push_back(request);
        }
        const bool grant = realtime ? config.grantsRealtime : config.grantsHighPriority;
        return grant ? dbus_message_new_method_return(call)
                     : dbus_message_new_error(call, DBUS_ERROR_ACCESS_DENIED, "not permitted");
    }
};

} // namespace

TEST(RealtimeScheduling, RealtimeKitIsAskedWithinItsLimitsAndARefusalFallsBack) {
    struct Case {
        const char *name;
        FakeRealtimeKit::Config config;
        Result result;
        std::vector<std::pair<std::string, long long>> requests; // method, priority or nice level
        long long limitUs;                                       // the process's RLIMIT_RTTIME when asked
    };
    const Case cases[] = {
        {"granted, priority capped",
         {2, 100000, -15, true, true},
         Result::realtime,
         {{"MakeThreadRealtime", 2}},
         100000},
        {"granted within a looser limit",
         {20, 500000, -15, true, true},
         Result::realtime,
         {{"MakeThreadRealtime", 4}},
         RealtimeScheduling::kDefaultRealtimeLimitUs},
        {"real time refused, nice level capped",
         {20, 200000, -5, false, true},
         Result::highPriority,
         {{"MakeThreadRealtime", 4}, {"MakeThreadHighPriority", -5}},
         200000},
        {"everything refused",
         {20, 200000, -15, false, false},
         Result::unchanged,
         {{"MakeThreadRealtime", 4}, {"MakeThreadHighPriority", -11}},
         200000},
        {"an older RealtimeKit without properties",
         {std::nullopt, std::nullopt, std::nullopt, true, true},
         Result::realtime,
         {{"MakeThreadRealtime", 4}},
         RealtimeScheduling::kDefaultRealtimeLimitUs},
    };
    for (const Case &c : cases) {
        PrivateBus bus;
        FakeRealtimeKit kit(bus.address(), c.config);
        RealtimeScheduling::Options options;
        options.direct = false;
        options.systemBus = bus.address();
        options.timeoutMs = 2000;
        // A thread of this process of its own, as the keyboard or audio thread would be.
        Result result = Result::unchanged;
        pid_t tid = 0;
        std::thread([&] {
            tid = RealtimeScheduling::currentThreadId();
            result = RealtimeScheduling::raise(tid, 4, options);
        }).join();

        EXPECT_EQ(result, c.result) << c.name;
        const auto requests = kit.seen();
        ASSERT_EQ(requests.size(), c.requests.size()) << c.name;
        for (size_t i = 0; i < requests.size(); ++i) {
            EXPECT_EQ(requests[i].method, c.requests[i].first) << c.name;
            EXPECT_EQ(requests[i].value, c.requests[i].second) << c.name;
            EXPECT_EQ(requests[i].thread, static_cast<uint64_t>(tid)) << c.name;
            // RealtimeKit refuses a process that could spin unchecked: the limit is set before it is asked.
            EXPECT_LE(requests[i].limitAtRequest, static_cast<rlim_t>(c.limitUs)) << c.name;
            EXPECT_GT(requests[i].limitAtRequest, 0u) << c.name;
        }
    }
}

TEST(RealtimeScheduling, WithoutASystemBusOrAPermissionTheThreadStaysAsItWas) {
    TempDir nowhere;
    RealtimeScheduling::Options options;
    options.systemBus = "unix:path=" + (nowhere.path() / "system_bus_socket").string();
    Result result = Result::unchanged;
    int policy = -1;
    std::thread([&] {
        result = RealtimeScheduling::raise(RealtimeScheduling::currentThreadId(), 1, options);
        policy = sched_getscheduler(0);
    }).join();
    // The kernel decides: where the process may set real time (CAP_SYS_NICE, RLIMIT_RTPRIO) the thread has it,
    // with its children reset to normal scheduling; elsewhere it is untouched.
    if (result == Result::realtime) {
        EXPECT_EQ(policy, SCHED_FIFO | SCHED_RESET_ON_FORK);
    } else {
        EXPECT_EQ(result, Result::unchanged);
        EXPECT_EQ(policy, SCHED_OTHER);
    }
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_RTTIME, &limit), 0);
    EXPECT_LE(limit.rlim_max, static_cast<rlim_t>(RealtimeScheduling::kDefaultRealtimeLimitUs));
}
