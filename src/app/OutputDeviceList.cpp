#include "app/OutputDeviceList.h"

#include "app/BackgroundService.h"
#include "engine/Landings.h"

#include <mutex>

namespace tc {

// Whether a query is posted and has not begun: a request meanwhile is answered by it.
struct OutputDeviceList::Waiting {
    std::mutex mutex;
    bool queued = false;
};

OutputDeviceList::OutputDeviceList(AudioDevices &devices, BackgroundService &lanes, ListHandler onList)
    : devices_(devices), lanes_(lanes), onList_(std::move(onList)), waiting_(std::make_shared<Waiting>()),
      landings_(lanes.landings()) {
    // Change handlers run on the backend's thread and must not query from there: they only post a query.
    changeToken_ = devices_.addChangeHandler([this] { refresh(); });
}

OutputDeviceList::~OutputDeviceList() {
    devices_.removeChangeHandler(changeToken_);
}

void OutputDeviceList::refresh() {
    {
        std::lock_guard guard(waiting_->mutex);
        if (waiting_->queued) {
            return;
        }
        waiting_->queued = true;
    }
    lanes_.post(BackgroundService::Lane::devices,
                [waiting = waiting_, devices = &devices_, deliver = landings_->deliverer(), self = this] {
                    {
                        std::lock_guard guard(waiting->mutex);
                        waiting->queued = false;
                    }
                    // No lock across the query: it may wait for the sound server.
                    deliver([self, list = devices->outputDevices()]() mutable { self->onList_(std::move(list)); });
                });
}

} // namespace tc
