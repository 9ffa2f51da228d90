#pragma once

#include "engine/AudioDevices.h"
#include "engine/Scheduler.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tc {

// The output devices as the settings screen offers them, read off the main thread: a query may wait for the
// sound server for a while (up to its timeout), and the window never waits for a server. The list is read
// again on request and whenever the devices report a change (a sink plugged in or removed, a new default),
// and each fresh list is handed to `onList` on the main thread, through `mainThread`.
//
// Requests that arrive while a query runs are folded into one more query afterwards, so a burst of hot-plug
// reports costs at most two queries. Lists still on their way when the object goes are dropped.
//
// Thread: made, asked and destroyed on the main thread; its own worker thread does the queries. The devices
// and the scheduler must outlive it. Destruction waits for a running query to end.
class OutputDeviceList {
public:
    using ListHandler = std::function<void(std::vector<AudioDevice>)>;

    OutputDeviceList(AudioDevices &devices, Scheduler &mainThread, ListHandler onList);
    ~OutputDeviceList();
    OutputDeviceList(const OutputDeviceList &) = delete;
    OutputDeviceList &operator=(const OutputDeviceList &) = delete;

    // Asks for a fresh list; returns at once.
    void refresh();

private:
    void run();

    AudioDevices &devices_;
    Scheduler &mainThread_;
    // Shared with the tasks posted to the main thread; reset by the destructor, so late lists are dropped.
    std::shared_ptr<ListHandler> onList_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;  // a query is wanted
    bool stopping_ = false; // the destructor runs
    int changeToken_ = 0;
    std::thread worker_;
};

} // namespace tc
