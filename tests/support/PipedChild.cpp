#include "support/PipedChild.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tc::test {

PipedChild::PipedChild(const std::vector<std::string> &arguments, Streams streams) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    readEnd_ = ends[0];
    try {
        process_.emplace(arguments, ends[1], streams == Streams::outputAndErrors);
    } catch (...) {
        close(ends[1]);
        close(readEnd_);
        throw;
    }
    close(ends[1]); // the child's copy is the only writer left: the pipe ends when the child does
}

PipedChild::~PipedChild() {
    process_.reset();
    close(readEnd_);
}

template <typename Done> bool PipedChild::readUntil(Done done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(left)) {
            return false;
        }
    }
    return true;
}

bool PipedChild::waitForLine(const std::string &line, std::chrono::milliseconds timeout) {
    return readUntil([&] { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); }, timeout);
}

bool PipedChild::waitForLines(std::size_t count, std::chrono::milliseconds timeout) {
    return readUntil([&] { return lines_.size() >= count; }, timeout);
}

void PipedChild::kill() {
    process_->stop();
    drain();
}

std::optional<int> PipedChild::waitForExit(std::chrono::milliseconds timeout) {
    const auto status = process_->waitForExit(timeout);
    if (status) {
        drain();
    }
    return status;
}

void PipedChild::drain() {
    while (readSome(std::chrono::milliseconds(0))) {
    }
}

bool PipedChild::readSome(std::chrono::milliseconds timeout) {
    pollfd poller{readEnd_, POLLIN, 0};
    if (poll(&poller, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t got = read(readEnd_, buffer, sizeof buffer);
    if (got <= 0) {
        return false;
    }
    for (ssize_t i = 0; i < got; ++i) {
        if (buffer[i] == '\n') {
            lines_.push_back(std::move(partial_));
            partial_.clear();
        } else {
            partial_ += buffer[i];
        }
    }
    return true;
}

} // namespace tc::test
