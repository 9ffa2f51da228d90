#include "app/SaveWriter.h"

#include "app/AtomicFile.h"
#include "model/Json.h"

namespace tc {

SaveWriter::SaveWriter(QString path) : SaveWriter(std::move(path), writeFileAtomically) {}

SaveWriter::SaveWriter(QString path, WriteFunction write)
    : path_(std::move(path)), write_(std::move(write)), thread_([this] { run(); }) {}

SaveWriter::~SaveWriter() {
    {
        std::lock_guard guard(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SaveWriter::enqueue(AppData snapshot) {
    {
        std::lock_guard guard(mutex_);
        queue_.push_back(std::move(snapshot));
    }
    wake_.notify_one();
}

bool SaveWriter::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return queue_.empty() && !busy_; });
}

std::uint64_t SaveWriter::writesDone() const {
    std::lock_guard guard(mutex_);
    return writesDone_;
}

void SaveWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (queue_.empty()) {
            return; // quit_, and every snapshot handed over is written
        }
        auto snapshot = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();

        bool written = false;
        try {
            const auto text = encodeAppData(snapshot, false);
            written = !write_(path_, QByteArray::fromStdString(text)).has_value();
        } catch (const std::exception &) {
            // A document that cannot be encoded is not written; the file keeps the previous state.
        }

        lock.lock();
        busy_ = false;
        if (written) {
            ++writesDone_;
        }
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

} // namespace tc
