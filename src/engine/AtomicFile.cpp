#include "engine/AtomicFile.h"

#include "model/Uuid.h"

#include <cerrno>
#include <string>
#include <system_error>

// Durable replacement needs fsync, which the standard library does not offer; these are the POSIX calls
// every system the program builds on has.
#include <fcntl.h>
#include <unistd.h>

namespace tc {

namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kUuidLength = 36;

std::string temporaryPrefix(const std::filesystem::path &target) {
    return "." + target.filename().string() + ".";
}

std::error_code lastError() {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

// Closes the descriptor when it goes out of scope, unless it was closed already.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return fd_; }
    // Closes now; false when closing reported an error (a delayed write error on some file systems).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(lastError());
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Flushes a folder's entries (the rename) to the disk. Best effort: not every file system supports it, and
// the new file is in place either way.
void syncFolder(const std::filesystem::path &folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::filesystem::path newTemporaryPathFor(const std::filesystem::path &target) {
    // A hidden name of its own in the same folder, so the rename stays on one file system.
    return target.parent_path() / (temporaryPrefix(target) + Uuid::random().toString() + std::string(kTemporarySuffix));
}

void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes) {
    const std::filesystem::path temporary = newTemporaryPathFor(target);
    errno = 0;
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        throw std::filesystem::filesystem_error("cannot create file", temporary, lastError());
    }
    auto fail = [&](const char *what, std::error_code error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::filesystem::filesystem_error(what, temporary, error);
    };
    try {
        writeAll(file.get(), bytes);
    } catch (const std::system_error &error) {
        fail("cannot write file", error.code());
    }
    // The data must be on the disk before the rename makes it the target: otherwise a crash could leave
    // the target empty after a rename that did reach the disk.
    if (::fsync(file.get()) != 0) {
        fail("cannot flush file", lastError());
    }
    if (!file.close()) {
        fail("cannot write file", lastError());
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::filesystem::filesystem_error("cannot replace file", temporary, target, error);
    }
    syncFolder(target.parent_path());
}

bool isTemporaryFileFor(const std::filesystem::path &target, std::string_view fileName) {
    const std::string prefix = temporaryPrefix(target);
    if (fileName.size() != prefix.size() + kUuidLength + kTemporarySuffix.size() || !fileName.starts_with(prefix) ||
        !fileName.ends_with(kTemporarySuffix)) {
        return false;
    }
    // Only the exact text writeFileAtomically makes: a UUID in its upper-case form.
    const std::string_view uuid = fileName.substr(prefix.size(), kUuidLength);
    const auto parsed = Uuid::parse(uuid);
    return parsed && parsed->toString() == uuid;
}

std::size_t removeStaleTemporaries(const std::filesystem::path &target) {
    std::size_t removed = 0;
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return 0;
    }
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto &entry = *entries;
        std::error_code statusError;
        // Not followed: a link with such a name is not a file this program made.
        if (entry.is_symlink(statusError) || !entry.is_regular_file(statusError) ||
            !isTemporaryFileFor(target, entry.path().filename().string())) {
            continue;
        }
        std::error_code removeError;
        if (std::filesystem::remove(entry.path(), removeError)) {
            ++removed;
        }
    }
    return removed;
}

} // namespace tc
