#pragma once

#include "support/ChildProcess.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tc::test {

// A program the test reads line by line while it runs (its standard output, and its errors when asked, on a
// pipe), and may stop, resume or kill at any moment: the children of the kill tests, which say how far they are,
// and a launch of the real program whose last words the test checks. Destroying it kills it and reaps it.
class PipedChild {
public:
    enum class Streams { output, outputAndErrors };

    explicit PipedChild(const std::vector<std::string> &arguments, Streams streams = Streams::output);
    ~PipedChild();
    PipedChild(const PipedChild &) = delete;
    PipedChild &operator=(const PipedChild &) = delete;

    ChildProcess &process() { return *process_; }
    // Reads until it has printed the line `line`; false when its output ended or `timeout` passed first.
    bool waitForLine(const std::string &line, std::chrono::milliseconds timeout = std::chrono::minutes(1));
    // Reads until it has printed `count` lines in all; false as above.
    bool waitForLines(std::size_t count, std::chrono::milliseconds timeout = std::chrono::minutes(1));
    // SIGKILL at once, then every line it printed before it died.
    void kill();
    // Waits up to `timeout` for it to end by itself, then reads what it printed: its wait status, or nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

    // The whole lines it printed so far.
    const std::vector<std::string> &lines() const { return lines_; }

private:
    // One read from the pipe; false at its end or when nothing came within `timeout`.
    bool readSome(std::chrono::milliseconds timeout);
    template <typename Done> bool readUntil(Done done, std::chrono::milliseconds timeout);
    void drain();

    int readEnd_ = -1;
    std::optional<ChildProcess> process_;
    std::string partial_;
    std::vector<std::string> lines_;
};

} // namespace tc::test
