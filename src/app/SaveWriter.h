#pragma once

#include "model/AppData.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tc {

// Writes document snapshots to disk on its own background thread, one after another in the order they were
// handed over, so the file always ends up holding the latest snapshot even when an earlier write is slow.
// Each snapshot is encoded (compact JSON) and written through the write function, by default an atomic
// replace of the file. Encoding and write failures are dropped: saving is silent.
//
// Thread: enqueue() and waitUntilIdle() from any thread (the main thread in the program); the writes run on
// the writer's thread. Destroying the writer finishes every snapshot already handed over.
class SaveWriter {
public:
    using WriteFunction = std::function<std::optional<QString>(const QString &path, const QByteArray &bytes)>;

    explicit SaveWriter(QString path); // writes with writeFileAtomically
    SaveWriter(QString path, WriteFunction write);
    ~SaveWriter();
    SaveWriter(const SaveWriter &) = delete;
    SaveWriter &operator=(const SaveWriter &) = delete;

    void enqueue(AppData snapshot);

    // Blocks until every snapshot handed over so far is written (or failed); false on timeout.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

    // Snapshots written successfully so far.
    std::uint64_t writesDone() const;

    const QString &path() const { return path_; }

private:
    void run();

    QString path_;
    WriteFunction write_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<AppData> queue_;
    bool busy_ = false;
    bool quit_ = false;
    std::uint64_t writesDone_ = 0;
    std::thread thread_;
};

} // namespace tc
