#pragma once

// The probe's PipeWire side: PipeWire's profiler read while the probe runs, to tell which node of the graph was
// late and how often.

#include <pipewire/pipewire.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tc::probe {

// Binds the server's profiler (libpipewire-module-profiler, loaded by PipeWire's default configuration) on the
// server of $PIPEWIRE_REMOTE and counts, from the moment it is made, for every node by its name:
//   cycles     the graph cycles the node took part in (as the driver or a follower);
//   late       of these, the cycles the node had not finished when the profiler looked (a follower still
//              triggered or awake when its driver's cycle was reported: it made that cycle late, an xrun);
//   alone      of these, the cycles no other node was late in (a stall of the whole machine makes every
//              node late at once; a node late alone was slow by itself);
//   xruns      for a driver, how many xruns it counted itself over the same time (its own counter's rise);
//   waitUs     for each finished cycle, from the node's signal to its waking up (the wait for a turn on a core),
//   busyUs     and from its waking up to its finishing (its own work), in microseconds.
// and the graph's cycle lengths (quantum, frames -> cycles). Nodes of the same name (a player started again)
// count together.
//
// Threads: its own PipeWire loop; report() from any thread.
class GraphWatch {
public:
    struct NodeCounts {
        uint64_t cycles = 0;
        uint64_t late = 0;
        uint64_t alone = 0;
        uint64_t xruns = 0;
        bool driver = false;
        std::vector<float> waitUs, busyUs;
    };
    struct Report {
        std::map<std::string, NodeCounts> nodes;
        std::map<uint32_t, uint64_t> quanta; // frames -> cycles
        uint64_t cycles = 0;                 // driver cycles reported
    };

    // Throws std::runtime_error when no server answers or it has no profiler.
    GraphWatch();
    ~GraphWatch();
    GraphWatch(const GraphWatch &) = delete;
    GraphWatch &operator=(const GraphWatch &) = delete;

    // The counts so far.
    Report report();

private:
    // Stops the loop and frees the connection; no callback runs once it returned.
    void release();
    static void onGlobal(void *self, uint32_t id, uint32_t permissions, const char *type, uint32_t version,
                         const spa_dict *props);
    static void onDone(void *self, uint32_t id, int seq);
    static void onProfile(void *self, const spa_pod *pod);

    pw_thread_loop *loop_ = nullptr;
    pw_context *context_ = nullptr;
    pw_core *core_ = nullptr;
    pw_registry *registry_ = nullptr;
    pw_proxy *profiler_ = nullptr;
    spa_hook coreListener_{};
    spa_hook registryListener_{};
    spa_hook profilerListener_{};
    int syncSeq_ = -1;
    bool synced_ = false;

    std::mutex mutex_;
    Report counts_;
    std::map<uint32_t, uint32_t> firstXruns_; // driver id -> its xrun counter when first seen
    std::map<uint32_t, uint32_t> lastXruns_;  // driver id -> its xruns since then
    std::map<uint32_t, std::string> driverNames_;
};

} // namespace tc::probe
