#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tc::test {

// A program the test runs in the background (a parecord standing for an application that records, say).
// It inherits the test's environment (DISPLAY, PULSE_SERVER of the rig); its output goes to /dev/null.
// Destroying it, or stop(), kills it by its process id and reaps it.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string> &arguments);
    // The same, with standard output and error appended to the file `output`.
    ChildProcess(const std::vector<std::string> &arguments, const std::string &output);
    // The same, with standard output (and standard error when `errorsToo`) on the open descriptor `output`, such
    // as a pipe's end; the caller keeps it and closes it.
    ChildProcess(const std::vector<std::string> &arguments, int output, bool errorsToo);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return pid_; }
    void stop();
    // Sends it `number` (SIGSTOP, SIGCONT) and returns at once.
    void signal(int number);
    // Asks it to end (SIGTERM) and waits up to `grace` for it, so it can clean up; then stop().
    void terminate(std::chrono::milliseconds grace);
    // Waits up to `timeout` for it to end by itself and reaps it: its wait status, or nothing when it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
};

} // namespace tc::test
