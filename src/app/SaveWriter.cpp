#include "app/SaveWriter.h"

#include "model/Json.h"

#include <malloc.h>

namespace tc {

SaveWriter::SaveWriter(QString path, qint64 maxBytes, WriteFunction write)
    : path_(std::move(path)), maxBytes_(maxBytes), write_(std::move(write)), thread_([this] { run(); }) {}

SaveWriter::~SaveWriter() {
    {
        std::lock_guard guard(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SaveWriter::setLog(Log log) {
    std::lock_guard guard(mutex_);
    log_ = std::move(log);
}

void SaveWriter::setOutcome(Outcome outcome) {
    std::lock_guard guard(mutex_);
    outcome_ = std::move(outcome);
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

std::optional<QString> SaveWriter::writeNow(const AppData &snapshot) {
    Log log;
    Outcome outcome;
    {
        std::lock_guard guard(mutex_);
        log = log_;
        outcome = outcome_;
    }
    const auto failure = encodeAndWrite(snapshot);
    finished(failure, log, outcome);
    return failure;
}

std::uint64_t SaveWriter::writesDone() const {
    std::lock_guard guard(mutex_);
    return writesDone_;
}

std::optional<QString> SaveWriter::encodeAndWrite(const AppData &snapshot) const {
    std::string text;
    try {
        text = encodeAppData(snapshot, false);
    } catch (const std::exception &error) {
        return QString::fromStdString(error.what());
    }
    return write(std::move(text));
}

std::optional<QString> SaveWriter::encodeAndWrite(AppData &&snapshot) const {
    std::string text;
    try {
        text = encodeAppData(snapshot, false);
    } catch (const std::exception &error) {
        return QString::fromStdString(error.what());
    }
    snapshot = AppData(); // the text holds it all now
    return write(std::move(text));
}

std::optional<QString> SaveWriter::write(std::string text) const {
    // The loader refuses a larger file, so writing one would turn the next start into a default document.
    if (text.size() > static_cast<std::size_t>(maxBytes_)) {
        return QStringLiteral("the document would take %1 bytes, more than the %2 a document may hold")
            .arg(text.size())
            .arg(maxBytes_);
    }
    // The text itself, not a copy of it: a big document's text is held once.
    auto failure = write_(path_, QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())));
    if (text.size() >= kTrimAfterBytes) {
        // The snapshot and the text go here, on this thread; hand their memory back to the system rather than keep
        // a big document's worth of free heap resident until something else needs it.
        std::string().swap(text);
        malloc_trim(0);
    }
    return failure;
}

void SaveWriter::finished(const std::optional<QString> &failure, const Log &log, const Outcome &outcome) {
    if (failure) {
        if (log) {
            log("Tapchime: saving the document failed: " + failure->toStdString());
        }
    } else {
        std::lock_guard guard(mutex_);
        ++writesDone_;
    }
    if (outcome) {
        outcome(failure);
    }
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
        const Log log = log_;
        const Outcome outcome = outcome_;
        lock.unlock();

        finished(encodeAndWrite(std::move(snapshot)), log, outcome);

        lock.lock();
        busy_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

} // namespace tc
