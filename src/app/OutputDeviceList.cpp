#include "app/OutputDeviceList.h"

namespace tc {

OutputDeviceList::OutputDeviceList(AudioDevices &devices, Scheduler &mainThread, ListHandler onList)
    : devices_(devices), mainThread_(mainThread), onList_(std::make_shared<ListHandler>(std::move(onList))) {
    worker_ = std::thread([this] { run(); });
    // Change handlers run on the backend's thread and must not query from there: they only wake the worker.
    changeToken_ = devices_.addChangeHandler([this] { refresh(); });
}

OutputDeviceList::~OutputDeviceList() {
    devices_.removeChangeHandler(changeToken_);
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
    onList_.reset();
}

void OutputDeviceList::refresh() {
    {
        std::lock_guard guard(mutex_);
        pending_ = true;
    }
    wake_.notify_one();
}

void OutputDeviceList::run() {
    std::weak_ptr<ListHandler> handler = onList_;
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_) {
            return;
        }
        pending_ = false;
        // No lock across the query: it may wait for the sound server.
        lock.unlock();
        auto list = devices_.outputDevices();
        mainThread_.post([handler, list = std::move(list)]() mutable {
            if (auto onList = handler.lock()) {
                (*onList)(std::move(list));
            }
        });
        lock.lock();
    }
}

} // namespace tc
