#include "support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace tc::test {

ChildProcess::ChildProcess(const std::vector<std::string> &arguments) : ChildProcess(arguments, "/dev/null") {}

namespace {

// Starts `arguments` (found on PATH) with the file actions `actions`; its process id.
pid_t spawn(const std::vector<std::string> &arguments, posix_spawn_file_actions_t &actions) {
    std::vector<char *> argv;
    for (const auto &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + arguments.front());
    }
    return pid;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &arguments, const std::string &output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_ = spawn(arguments, actions);
}

ChildProcess::ChildProcess(const std::vector<std::string> &arguments, int output, bool errorsToo) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (errorsToo) {
        posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    }
    pid_ = spawn(arguments, actions);
}

ChildProcess::~ChildProcess() {
    stop();
}

void ChildProcess::signal(int number) {
    if (pid_ > 0) {
        kill(pid_, number);
    }
}

void ChildProcess::stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ChildProcess::terminate(std::chrono::milliseconds grace) {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
}

} // namespace tc::test
