#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace tc {

// The claim of one running copy on its data folder, for as long as the object lives: an exclusive lock on the
// file ".lock" in the folder, so that at most one copy reads, cleans or writes the folder at any time. The
// program takes it before anything there is touched and keeps it until it ends; the kernel lets go of it when
// the process ends however it ends (a crash, kill -9), so the next start takes it at once. A copy that is stopped
// or busy still holds it.
//
// The lock belongs to the open file, not to the process (an open file description lock): another object, even in
// the same process, is refused it, and the file is closed on exec, so a program the copy starts (a browser,
// xdg-open) never keeps it. The holder writes its process id into the file, for the message of a later launch.
// Nothing else in the program reads or writes a file of that name.
//
// Main thread (one object per folder in the program); no Qt.
class DataFolderLock {
public:
    static constexpr const char *kFileName = ".lock";

    enum class State {
        held,          // this object holds it
        heldElsewhere, // another copy holds it
        unavailable,   // the folder or the file cannot be made or opened, or the file system has no locks
    };

    // Makes the folder where it is missing (as the document store would) and tries to take the lock, once.
    explicit DataFolderLock(std::filesystem::path folder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // Tries again when not held (the copy that held it may have ended meanwhile); the state then.
    State retry();
    State state() const { return state_; }
    bool held() const { return state_ == State::held; }
    // What went wrong, when unavailable.
    const std::string &problem() const { return problem_; }
    const std::filesystem::path &file() const { return file_; }
    // The process id the holder wrote into the file, when another copy holds it and has written it yet; else 0.
    pid_t holder() const;

private:
    const std::filesystem::path folder_;
    const std::filesystem::path file_;
    int fd_ = -1;
    State state_ = State::unavailable;
    std::string problem_;
};

} // namespace tc
