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
#include <string>
#include <thread>

namespace tc {

// Writes document snapshots to disk on its own background thread, one after another in the order they were
// handed over, so the file always ends up holding the latest snapshot even when an earlier write is slow.
// Each snapshot is encoded (compact JSON) and written through the write function, by default an atomic
// replace of the file. A snapshot that cannot be encoded, whose text is larger than the writer's bound, or
// whose write fails is not written (the file keeps the previous document); the failure goes to the log as
// one line "Tapchime: saving the document failed: <reason>", and the outcome of every snapshot goes to the
// outcome function, which the model turns into what the user is told.
//
// Thread: enqueue(), waitUntilIdle() and setLog() from any thread (the main thread in the program); the
// writes run on the writer's thread, which also calls the log. Destroying the writer finishes every
// snapshot already handed over.
class SaveWriter {
public:
    // `bytes` is the writer's own text, valid only during the call (copy it to keep it).
    using WriteFunction = std::function<std::optional<QString>(const QString &path, const QByteArray &bytes)>;
    // One line to the system log; called on the writer's thread (and by writeNow() on its caller's).
    using Log = std::function<void(const std::string &line)>;
    // The outcome of one snapshot: the failure, or nothing once the file holds it. Called where the log is.
    using Outcome = std::function<void(const std::optional<QString> &failure)>;

    // After writing a text at least this long, the writer hands the heap the save freed back to the system.
    static constexpr std::size_t kTrimAfterBytes = 4 * 1024 * 1024;

    // `maxBytes`: the largest document text written, inclusive.
    SaveWriter(QString path, qint64 maxBytes, WriteFunction write);
    ~SaveWriter();
    SaveWriter(const SaveWriter &) = delete;
    SaveWriter &operator=(const SaveWriter &) = delete;

    // Where failures are reported (default: nowhere). A write already running reports to the earlier log.
    void setLog(Log log);
    // Where the outcome of each snapshot is reported (default: nowhere), as with the log.
    void setOutcome(Outcome outcome);

    void enqueue(AppData snapshot);

    // Blocks until every snapshot handed over so far is written (or failed); false on timeout.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

    // Encodes, checks and writes one snapshot on the calling thread, exactly as the writer's thread does, and
    // logs a failure the same way. Returns the failure, or nothing once the file holds the snapshot. Only
    // while no snapshot is queued (the store's write-back of an upgraded document at start-up).
    std::optional<QString> writeNow(const AppData &snapshot);

    // Snapshots written successfully so far (by the writer's thread or writeNow).
    std::uint64_t writesDone() const;

    const QString &path() const { return path_; }

private:
    void run();
    // Encodes and writes; the failure, or nothing. Touches no shared state. A snapshot handed over is let go once
    // its text is made, and the text is written as it is, so a big document is held at most twice at a time while
    // it is saved.
    std::optional<QString> encodeAndWrite(const AppData &snapshot) const;
    std::optional<QString> encodeAndWrite(AppData &&snapshot) const;
    // Checks the text's size and writes it.
    std::optional<QString> write(std::string text) const;
    void finished(const std::optional<QString> &failure, const Log &log, const Outcome &outcome);

    const QString path_;
    const qint64 maxBytes_;
    const WriteFunction write_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<AppData> queue_;
    Log log_;
    Outcome outcome_;
    bool busy_ = false;
    bool quit_ = false;
    std::uint64_t writesDone_ = 0;
    std::thread thread_;
};

} // namespace tc
