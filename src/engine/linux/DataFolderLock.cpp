#include "engine/linux/DataFolderLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tc {

namespace {

// The whole file, exclusively, for the open file (not the process); false with errno when refused.
bool lockWhole(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET; // l_start and l_len 0: the whole file, however long it grows
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

} // namespace

DataFolderLock::DataFolderLock(std::filesystem::path folder) : folder_(std::move(folder)), file_(folder_ / kFileName) {
    retry();
}

DataFolderLock::~DataFolderLock() {
    if (fd_ >= 0) {
        ::close(fd_); // lets go of the lock
    }
}

DataFolderLock::State DataFolderLock::retry() {
    if (state_ == State::held) {
        return state_;
    }
    if (fd_ < 0) {
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        // Not through a link: the file is the folder's own.
        fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            problem_ = std::strerror(errno);
            state_ = State::unavailable;
            return state_;
        }
    }
    if (!lockWhole(fd_)) {
        const int error = errno;
        if (error == EAGAIN || error == EACCES) {
            state_ = State::heldElsewhere;
        } else {
            problem_ = std::strerror(error);
            state_ = State::unavailable;
        }
        return state_;
    }
    state_ = State::held;
    // Best effort: the id only helps the message of a later launch.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const auto written = ::pwrite(fd_, pid.data(), pid.size(), 0);
    }
    return state_;
}

pid_t DataFolderLock::holder() const {
    if (state_ != State::heldElsewhere) {
        return 0;
    }
    char text[24] = {};
    const ssize_t got = ::pread(fd_, text, sizeof text - 1, 0);
    if (got <= 0) {
        return 0;
    }
    char *end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text && *end == '\n' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

} // namespace tc
