#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tc {

// A sound could not be written into the sounds folder, told apart by what the user can do about it. what() is
// the system's own description, for the log; the program words the rest (the app's FailureText).
class SoundsFolderError : public std::runtime_error {
public:
    enum class Kind {
        noRoom,      // the disk (or the user's quota) is full
        notAFolder,  // a file stands where the sounds folder, or a folder above it, should be
        notWritable, // anything else: the folder may not be written, or the disk failed
    };

    SoundsFolderError(Kind kind, std::filesystem::path folder, const std::string &detail)
        : std::runtime_error(detail), kind_(kind), folder_(std::move(folder)) {}
    Kind kind() const { return kind_; }
    const std::filesystem::path &folder() const { return folder_; }

private:
    Kind kind_;
    std::filesystem::path folder_;
};

// The two disk calls whose failures a sound's writer tells apart. The program uses real(); tests put in calls
// that fail as a full or failing disk would.
struct SoundFileDisk {
    // Writes at most `size` bytes to the open descriptor: how many it wrote, or -1 with errno set (as write(2)).
    std::function<long(int descriptor, const char *bytes, std::size_t size)> write;
    // The room this user has left on the disk that holds `folder`, in bytes; the largest value when unknown.
    std::function<std::uintmax_t(const std::filesystem::path &folder)> available;

    static SoundFileDisk real();
};

// What a failure to write `needed` more bytes into `folder` with `error` means for the user, with `detail` as its
// what(): a full disk for ENOSPC and EDQUOT, and for EIO too when the disk has less room left than was needed
// (some file systems report a full disk so); a file in the folder's place for ENOTDIR, or when the folder is there
// but is not a folder; else a folder that cannot be written.
SoundsFolderError soundsFolderError(const std::error_code &error, const std::filesystem::path &folder,
                                    std::uintmax_t needed, const SoundFileDisk &disk, const std::string &detail);

// Writes one new sound file into the sounds folder from bytes that arrive in parts: an imported file's copy, or a
// share pack's sound. Plain writes (the file has a name nobody else uses); every failure is thrown as a
// SoundsFolderError. Thread: one writer is used by one thread at a time; writers on several threads are fine.
class SoundFileWriter {
public:
    SoundFileWriter(SoundFileDisk disk, std::filesystem::path folder);
    ~SoundFileWriter(); // closes a file still open; it is not removed
    SoundFileWriter(const SoundFileWriter &) = delete;
    SoundFileWriter &operator=(const SoundFileWriter &) = delete;

    // Creates `file` (or empties it) and closes any file open before.
    void open(const std::filesystem::path &file);
    void write(const char *bytes, std::size_t size);
    // Closes the file; a failure to finish writing it is thrown too.
    void close();

private:
    [[noreturn]] void fail(int error, std::uintmax_t needed, const std::filesystem::path &file) const;
    std::filesystem::path file_;

    SoundFileDisk disk_;
    std::filesystem::path folder_;
    int descriptor_ = -1;
};

} // namespace tc
