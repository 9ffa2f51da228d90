#pragma once

#include "engine/AudioDevices.h"

#include <functional>
#include <memory>
#include <vector>

namespace tc {

class BackgroundService;
class Landings;

// The output devices as the settings screen offers them, read off the main thread: a query may wait for the
// sound server for a while (up to its timeout), and the window never waits for a server. The list is read
// again on request and whenever the devices report a change (a sink plugged in or removed, a new default),
// on the background service's device lane, and each fresh list lands in `onList` on the main thread.
//
// Requests that arrive while a query waits to begin add nothing, so a burst of hot-plug reports costs at most
// two queries. Lists still on their way when the object goes are dropped.
//
// Thread: made, asked and destroyed on the main thread (refresh() also from the devices' report thread). The
// devices must outlive the service's lanes, the service this object.
class OutputDeviceList {
public:
    using ListHandler = std::function<void(std::vector<AudioDevice>)>;

    OutputDeviceList(AudioDevices &devices, BackgroundService &lanes, ListHandler onList);
    ~OutputDeviceList();
    OutputDeviceList(const OutputDeviceList &) = delete;
    OutputDeviceList &operator=(const OutputDeviceList &) = delete;

    // Asks for a fresh list; returns at once. Any thread.
    void refresh();

private:
    struct Waiting;

    AudioDevices &devices_;
    BackgroundService &lanes_;
    ListHandler onList_;
    std::shared_ptr<Waiting> waiting_; // shared with the queries on the lane
    std::unique_ptr<Landings> landings_;
    int changeToken_ = 0;
};

} // namespace tc
