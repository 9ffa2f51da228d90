#include "engine/SoundFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

// The file's own descriptor, so that a failure keeps its errno: a full disk and a folder that cannot be written
// are told apart by it, which a stream would lose.
#include <fcntl.h>
#include <unistd.h>

namespace tc {

SoundFileDisk SoundFileDisk::real() {
    SoundFileDisk disk;
    disk.write = [](int descriptor, const char *bytes, std::size_t size) -> long {
        return static_cast<long>(::write(descriptor, bytes, size));
    };
    disk.available = [](const std::filesystem::path &folder) {
        std::error_code error;
        const auto space = std::filesystem::space(folder, error);
        return error ? std::numeric_limits<std::uintmax_t>::max() : space.available;
    };
    return disk;
}

SoundsFolderError soundsFolderError(const std::error_code &error, const std::filesystem::path &folder,
                                    std::uintmax_t needed, const SoundFileDisk &disk, const std::string &detail) {
    using Kind = SoundsFolderError::Kind;
    const bool posix = error.category() == std::generic_category() || error.category() == std::system_category();
    const int code = posix ? error.value() : 0;
    std::error_code ignored;
    const auto status = std::filesystem::status(folder, ignored);
    Kind kind = Kind::notWritable;
    if (code == ENOSPC || code == EDQUOT) {
        kind = Kind::noRoom;
    } else if (code == ENOTDIR ||
               (std::filesystem::exists(status) && status.type() != std::filesystem::file_type::directory)) {
        kind = Kind::notAFolder;
    } else if (code == EIO && disk.available && disk.available(folder) < std::max<std::uintmax_t>(needed, 1)) {
        kind = Kind::noRoom;
    }
    return SoundsFolderError(kind, folder, detail);
}

SoundFileWriter::SoundFileWriter(SoundFileDisk disk, std::filesystem::path folder)
    : disk_(std::move(disk)), folder_(std::move(folder)) {}

SoundFileWriter::~SoundFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void SoundFileWriter::fail(int error, std::uintmax_t needed, const std::filesystem::path &file) const {
    const std::error_code code(error != 0 ? error : EIO, std::generic_category());
    // In brackets, as the standard library's errors name their paths: what the user reads leaves them out.
    throw soundsFolderError(code, folder_, needed, disk_,
                            "cannot write the sound file: " + code.message() + " [" + file.string() + "]");
}

void SoundFileWriter::open(const std::filesystem::path &file) {
    close();
    file_ = file;
    descriptor_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor_ < 0) {
        fail(errno, 1, file);
    }
}

void SoundFileWriter::write(const char *bytes, std::size_t size) {
    while (size > 0) {
        const long written = disk_.write(descriptor_, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A write of nothing at all is a full disk on some systems: errno 0 is asked about as EIO is.
            fail(written < 0 ? errno : 0, size, file_);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void SoundFileWriter::close() {
    if (descriptor_ < 0) {
        return;
    }
    const int descriptor = std::exchange(descriptor_, -1);
    // Some file systems report a full disk only when the file is closed.
    if (::close(descriptor) != 0 && errno != EINTR) {
        fail(errno, 1, file_);
    }
}

} // namespace tc
