#pragma once

#include "engine/linux/ffmpeg/module/ModuleEntries.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tc {

// The FFmpeg module (tapchime-ffmpeg.so), loaded only while audio files are read or written. FFmpeg and the many
// libraries it brings (codecs, network, subtitles) take more than 20 MiB of a running program, and a key-sound
// program reads files only at start and when the user imports or records one: `linger` after the last use
// ends, the module is unloaded again, and the next use loads it afresh.
// A module that cannot be loaded is reported once through `log`; each use then fails.
// Thread: any; uses may run in parallel (the module stays while any is running).
class FfmpegModule {
public:
    using Log = std::function<void(const std::string &)>;

    struct Entries {
        TapchimeModuleRead read = nullptr;
        TapchimeModuleWriteAac writeAac = nullptr;
    };

    FfmpegModule(std::filesystem::path path, std::chrono::milliseconds linger, Log log = {});
    ~FfmpegModule();
    FfmpegModule(const FfmpegModule &) = delete;
    FfmpegModule &operator=(const FfmpegModule &) = delete;

    // Calls `use` with the module loaded; returns false, without calling it, when the module cannot be loaded.
    bool with(const std::function<void(const Entries &)> &use) const;

    // Whether the module is loaded now.
    bool loaded() const;

    // The module beside the program (a build) or in lib/tapchime beside its bin/ (an installed program).
    static std::filesystem::path defaultPath();
    static std::filesystem::path pathFor(const std::filesystem::path &programFolder);

private:
    bool acquire(Entries &entries) const;
    void release() const;
    void unloadWhenIdle();

    const std::filesystem::path path_;
    const std::chrono::milliseconds linger_;
    const Log log_;

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    mutable void *handle_ = nullptr;
    mutable Entries entries_;
    mutable int users_ = 0;
    mutable std::chrono::steady_clock::time_point lastUse_;
    mutable bool logged_ = false;
    bool stopping_ = false;
    std::thread unloader_; // last: started once the rest is there
};

} // namespace tc
