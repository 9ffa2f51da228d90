#include "engine/ImportJournal.h"

#include "engine/AtomicFile.h"
#include "engine/ImportFileName.h"

#include <algorithm>
#include <fstream>

namespace tc {

namespace {

constexpr std::size_t kMaxRecordBytes = 1024 * 1024; // far beyond any list of imports under way

} // namespace

ImportJournal::ImportJournal(std::filesystem::path soundsFolder, Writer writer)
    : folder_(std::move(soundsFolder)), file_(folder_ / kFileName), writer_(std::move(writer)) {}

std::vector<std::string> ImportJournal::read() const {
    std::vector<std::string> names;
    std::error_code error;
    if (std::filesystem::file_size(file_, error) > kMaxRecordBytes || error) {
        return names;
    }
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        if (ImportFileName::isImportFileName(line)) {
            names.push_back(line);
        }
    }
    return names;
}

void ImportJournal::writeRecord(const std::filesystem::path &file, const std::vector<std::string> &names) {
    if (names.empty()) {
        std::filesystem::remove(file);
        return;
    }
    std::string text;
    for (const auto &name : names) {
        text += name;
        text += '\n';
    }
    writeFileAtomically(file, text);
}

void ImportJournal::writeOut(std::unique_lock<std::mutex> &guard) {
    writing_ = true;
    while (attempted_ != version_) {
        const std::uint64_t version = version_;
        const std::vector<std::string> names = names_;
        guard.unlock();
        std::exception_ptr failure;
        try {
            writer_(file_, names);
        } catch (...) {
            failure = std::current_exception();
        }
        guard.lock();
        attempted_ = version;
        if (failure) {
            failure_ = failure;
        } else {
            onDisk_ = version;
        }
        written_.notify_all();
    }
    writing_ = false;
}

void ImportJournal::begin(const std::string &fileName) {
    std::filesystem::create_directories(folder_);
    std::unique_lock guard(lock_);
    names_.push_back(fileName);
    const std::uint64_t version = ++version_;
    if (!writing_) {
        writeOut(guard);
    }
    written_.wait(guard, [&] { return attempted_ >= version; });
    if (onDisk_ >= version) {
        return;
    }
    // The record on disk lacks the name (a failed write leaves it as it was): nor does the import write.
    if (const auto it = std::find(names_.begin(), names_.end(), fileName); it != names_.end()) {
        names_.erase(it);
    }
    std::rethrow_exception(failure_);
}

void ImportJournal::finish(const std::vector<std::string> &fileNames) {
    std::unique_lock guard(lock_);
    const auto before = names_.size();
    std::erase_if(names_, [&](const std::string &name) {
        return std::find(fileNames.begin(), fileNames.end(), name) != fileNames.end();
    });
    if (names_.size() == before) {
        return;
    }
    ++version_;
    // A write under way writes this change too before it ends. A failed write leaves the names on disk, and they
    // are settled at the next start, against the document.
    if (!writing_) {
        writeOut(guard);
    }
}

std::vector<std::string> ImportJournal::pending() const {
    std::lock_guard guard(lock_);
    return names_;
}

ImportJournal::Settled ImportJournal::settle(const std::set<std::string> &listed, bool documentRead) {
    Settled settled;
    std::error_code error;
    removeStaleTemporaries(file_);
    std::vector<std::filesystem::path> temporaries;
    for (std::filesystem::directory_iterator entries(folder_, error), end; !error && entries != end;
         entries.increment(error)) {
        // Not followed: a link with such a name is not a file an import made.
        if (!entries->is_symlink(error) && entries->is_regular_file(error) &&
            ImportFileName::isImportTemporary(entries->path().filename().string())) {
            temporaries.push_back(entries->path());
        }
    }
    for (const auto &path : temporaries) {
        settled.temporaries += std::filesystem::remove(path, error) ? 1 : 0;
    }
    for (const auto &name : read()) {
        const auto path = folder_ / name;
        if (!documentRead || listed.contains(name)) {
            settled.kept += std::filesystem::is_regular_file(path, error) ? 1 : 0;
        } else if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::regular) {
            settled.copies += std::filesystem::remove(path, error) ? 1 : 0;
        }
    }
    std::filesystem::remove(file_, error);
    std::lock_guard guard(lock_);
    names_.clear();
    return settled;
}

} // namespace tc
