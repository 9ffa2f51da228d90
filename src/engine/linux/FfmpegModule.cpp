#include "engine/linux/FfmpegModule.h"

#include <dlfcn.h>

namespace tc {

namespace {

constexpr const char *kModuleFile = "tapchime-ffmpeg.so";

} // namespace

FfmpegModule::FfmpegModule(std::filesystem::path path, std::chrono::milliseconds linger, Log log)
    : path_(std::move(path)), linger_(linger), log_(std::move(log)), unloader_([this] { unloadWhenIdle(); }) {}

FfmpegModule::~FfmpegModule() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    unloader_.join();
    // No use is running: the module's owners outlive their uses.
    if (handle_) {
        dlclose(handle_);
    }
}

bool FfmpegModule::with(const std::function<void(const Entries &)> &use) const {
    Entries entries;
    if (!acquire(entries)) {
        return false;
    }
    try {
        use(entries);
    } catch (...) {
        release();
        throw;
    }
    release();
    return true;
}

bool FfmpegModule::acquire(Entries &entries) const {
    std::lock_guard guard(lock_);
    if (!handle_) {
        // The load takes a while (FFmpeg brings many libraries). It happens on the thread that reads or writes,
        // and the program does both off the main thread only: the start-up preload, the model's worker
        // (imports, share packs) and a recording's loop thread.
        // RTLD_LOCAL: FFmpeg's symbols stay inside the module and the libraries it brings.
        void *handle = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
        Entries found;
        if (handle) {
            found.read = reinterpret_cast<TapchimeModuleRead>(dlsym(handle, kModuleReadSymbol));
            found.writeAac = reinterpret_cast<TapchimeModuleWriteAac>(dlsym(handle, kModuleWriteAacSymbol));
        }
        if (!found.read || !found.writeAac) {
            const char *why = dlerror();
            if (handle) {
                dlclose(handle);
            }
            if (!logged_ && log_) {
                logged_ = true;
                log_("The audio file module " + path_.string() + " could not be loaded (" +
                     (why ? why : "its entries are missing") + "); audio files can be neither read nor written.");
            }
            return false;
        }
        handle_ = handle;
        entries_ = found;
    }
    ++users_;
    entries = entries_;
    return true;
}

void FfmpegModule::release() const {
    {
        std::lock_guard guard(lock_);
        --users_;
        lastUse_ = std::chrono::steady_clock::now();
    }
    changed_.notify_all();
}

bool FfmpegModule::loaded() const {
    std::lock_guard guard(lock_);
    return handle_ != nullptr;
}

void FfmpegModule::unloadWhenIdle() {
    std::unique_lock guard(lock_);
    while (!stopping_) {
        if (!handle_ || users_ > 0) {
            changed_.wait(guard);
            continue;
        }
        const auto due = lastUse_ + linger_;
        if (std::chrono::steady_clock::now() < due) {
            changed_.wait_until(guard, due);
            continue;
        }
        dlclose(handle_);
        handle_ = nullptr;
        entries_ = {};
    }
}

std::filesystem::path FfmpegModule::pathFor(const std::filesystem::path &programFolder) {
    const std::filesystem::path beside = programFolder / kModuleFile;
    std::error_code error;
    if (std::filesystem::exists(beside, error)) {
        return beside;
    }
    return programFolder.parent_path() / "lib" / "tapchime" / kModuleFile;
}

std::filesystem::path FfmpegModule::defaultPath() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return pathFor(error ? std::filesystem::current_path(error) : program.parent_path());
}

} // namespace tc
