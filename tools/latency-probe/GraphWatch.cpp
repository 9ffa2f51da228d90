#include "GraphWatch.h"

#include <pipewire/extensions/profiler.h>
#include <pipewire/impl-module.h>
#include <spa/param/profiler.h>
#include <spa/pod/parser.h>

#include <cstring>
#include <stdexcept>

namespace tc::probe {

namespace {

// A node's activation status once its part of the cycle is done (PipeWire's PW_NODE_ACTIVATION_FINISHED).
constexpr int32_t kFinished = 3;

struct Block {
    int32_t id = 0;
    const char *name = nullptr;
    int64_t signal = 0, awake = 0, finish = 0;
    int32_t status = 0;
};

bool parseBlock(const spa_pod *pod, Block &block) {
    int64_t prevSignal = 0;
    return spa_pod_parse_struct(pod, SPA_POD_Int(&block.id), SPA_POD_String(&block.name), SPA_POD_Long(&prevSignal),
                                SPA_POD_Long(&block.signal), SPA_POD_Long(&block.awake), SPA_POD_Long(&block.finish),
                                SPA_POD_Int(&block.status)) >= 0;
}

} // namespace

GraphWatch::GraphWatch() {
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("probe graph", nullptr);
    if (!loop_) {
        throw std::runtime_error("cannot make a PipeWire loop");
    }
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (!context_) {
        pw_thread_loop_destroy(loop_);
        throw std::runtime_error("cannot make a PipeWire context");
    }
    // The profiler's messages are understood once its module's protocol is loaded on this side too.
    pw_context_load_module(context_, PW_EXTENSION_MODULE_PROFILER, nullptr, nullptr);
    pw_thread_loop_start(loop_);
    pw_thread_loop_lock(loop_);
    std::string error;
    core_ = pw_context_connect(context_, nullptr, 0);
    if (!core_) {
        error = "no PipeWire server (is PIPEWIRE_REMOTE set?)";
    } else {
        static const pw_core_events coreEvents = [] {
            pw_core_events events{};
            events.version = PW_VERSION_CORE_EVENTS;
            events.done = &GraphWatch::onDone;
            return events;
        }();
        pw_core_add_listener(core_, &coreListener_, &coreEvents, this);
        static const pw_registry_events registryEvents = [] {
            pw_registry_events events{};
            events.version = PW_VERSION_REGISTRY_EVENTS;
            events.global = &GraphWatch::onGlobal;
            return events;
        }();
        registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
        pw_registry_add_listener(registry_, &registryListener_, &registryEvents, this);
        syncSeq_ = pw_core_sync(core_, PW_ID_CORE, 0);
        timespec until{};
        pw_thread_loop_get_time(loop_, &until, 3'000'000'000);
        while (!synced_ && pw_thread_loop_timed_wait_full(loop_, &until) == 0) {
        }
        if (!synced_) {
            error = "the PipeWire server did not answer";
        } else if (!profiler_) {
            error = "the PipeWire server has no profiler (libpipewire-module-profiler)";
        }
    }
    pw_thread_loop_unlock(loop_);
    if (!error.empty()) {
        release();
        throw std::runtime_error(error);
    }
}

GraphWatch::~GraphWatch() {
    release();
}

void GraphWatch::release() {
    if (!loop_) {
        return;
    }
    pw_thread_loop_stop(loop_);
    if (profiler_) {
        spa_hook_remove(&profilerListener_);
        pw_proxy_destroy(profiler_);
        profiler_ = nullptr;
    }
    if (registry_) {
        spa_hook_remove(&registryListener_);
        pw_proxy_destroy(reinterpret_cast<pw_proxy *>(registry_));
        registry_ = nullptr;
    }
    if (core_) {
        spa_hook_remove(&coreListener_);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
    pw_context_destroy(context_);
    pw_thread_loop_destroy(loop_);
    loop_ = nullptr;
}

void GraphWatch::onGlobal(void *self, uint32_t id, uint32_t, const char *type, uint32_t, const spa_dict *) {
    auto *watch = static_cast<GraphWatch *>(self);
    if (std::strcmp(type, PW_TYPE_INTERFACE_Profiler) != 0 || watch->profiler_) {
        return;
    }
    watch->profiler_ = static_cast<pw_proxy *>(pw_registry_bind(watch->registry_, id, type, PW_VERSION_PROFILER, 0));
    if (!watch->profiler_) {
        return;
    }
    static const pw_profiler_events profilerEvents = [] {
        pw_profiler_events events{};
        events.version = PW_VERSION_PROFILER_EVENTS;
        events.profile = &GraphWatch::onProfile;
        return events;
    }();
    pw_proxy_add_object_listener(watch->profiler_, &watch->profilerListener_, &profilerEvents, watch);
}

void GraphWatch::onDone(void *self, uint32_t id, int seq) {
    auto *watch = static_cast<GraphWatch *>(self);
    if (id == PW_ID_CORE && seq == watch->syncSeq_) {
        watch->synced_ = true;
        pw_thread_loop_signal(watch->loop_, false);
    }
}

void GraphWatch::onProfile(void *self, const spa_pod *pod) {
    auto *watch = static_cast<GraphWatch *>(self);
    std::lock_guard guard(watch->mutex_);
    // One object per driver cycle: the driver's counters and clock, its own block, then one block per follower.
    const void *body = SPA_POD_BODY_CONST(pod);
    for (auto *object = static_cast<const spa_pod *>(body); spa_pod_is_inside(body, SPA_POD_BODY_SIZE(pod), object);
         object = static_cast<const spa_pod *>(spa_pod_next(object))) {
        if (!spa_pod_is_object_type(object, SPA_TYPE_OBJECT_Profiler)) {
            continue;
        }
        int32_t xruns = -1;
        NodeCounts *lateNode = nullptr; // the one node late in this cycle so far
        int lateNodes = 0;
        int64_t duration = 0;
        const spa_pod_prop *property = nullptr;
        SPA_POD_OBJECT_FOREACH(reinterpret_cast<const spa_pod_object *>(object), property) {
            switch (property->key) {
            case SPA_PROFILER_info: {
                int64_t count = 0;
                float load[3] = {};
                if (spa_pod_parse_struct(&property->value, SPA_POD_Long(&count), SPA_POD_Float(&load[0]),
                                         SPA_POD_Float(&load[1]), SPA_POD_Float(&load[2]), SPA_POD_Int(&xruns)) < 0) {
                    xruns = -1;
                }
                break;
            }
            case SPA_PROFILER_clock: {
                int32_t flags = 0, id = 0;
                const char *name = nullptr;
                int64_t nsec = 0, position = 0;
                spa_fraction rate{};
                if (spa_pod_parse_struct(&property->value, SPA_POD_Int(&flags), SPA_POD_Int(&id), SPA_POD_String(&name),
                                         SPA_POD_Long(&nsec), SPA_POD_Fraction(&rate), SPA_POD_Long(&position),
                                         SPA_POD_Long(&duration)) < 0) {
                    duration = 0;
                }
                break;
            }
            case SPA_PROFILER_driverBlock:
            case SPA_PROFILER_followerBlock: {
                Block block;
                if (!parseBlock(&property->value, block)) {
                    break;
                }
                const std::string name = block.name ? block.name : std::to_string(block.id);
                NodeCounts &counts = watch->counts_.nodes[name];
                ++counts.cycles;
                if (block.status != kFinished) {
                    ++counts.late;
                    ++lateNodes;
                    lateNode = &counts;
                } else if (block.signal > 0 && block.awake >= block.signal && block.finish >= block.awake) {
                    counts.waitUs.push_back(static_cast<float>(block.awake - block.signal) / 1e3f);
                    counts.busyUs.push_back(static_cast<float>(block.finish - block.awake) / 1e3f);
                }
                if (property->key == SPA_PROFILER_driverBlock) {
                    counts.driver = true;
                    ++watch->counts_.cycles;
                    ++watch->counts_.quanta[static_cast<uint32_t>(duration)];
                    if (xruns >= 0) {
                        const auto id = static_cast<uint32_t>(block.id);
                        const auto first = watch->firstXruns_.try_emplace(id, static_cast<uint32_t>(xruns)).first;
                        watch->driverNames_[id] = name;
                        // The driver's own counter since this watch began, kept per driver node.
                        watch->lastXruns_[id] = static_cast<uint32_t>(xruns) - first->second;
                    }
                }
                break;
            }
            default:
                break;
            }
        }
        if (lateNodes == 1) {
            ++lateNode->alone;
        }
    }
}

GraphWatch::Report GraphWatch::report() {
    std::lock_guard guard(mutex_);
    Report result = counts_;
    for (const auto &[id, xruns] : lastXruns_) {
        result.nodes[driverNames_[id]].xruns += xruns;
    }
    return result;
}

} // namespace tc::probe
