#include "engine/ImportJournal.h"

#include "engine/AtomicFile.h"
#include "model/Uuid.h"

#include <algorithm>
#include <fstream>
#include <string_view>

namespace tc {

namespace {

constexpr std::string_view kPrefix = "user.";
constexpr std::size_t kUuidLength = 36;
constexpr std::size_t kMaxExtension = 16;
constexpr std::size_t kMaxRecordBytes = 1024 * 1024; // far beyond any list of imports under way

bool isExtension(std::string_view text) {
    return !text.empty() && text.size() <= kMaxExtension && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

} // namespace

ImportJournal::ImportJournal(std::filesystem::path soundsFolder)
    : folder_(std::move(soundsFolder)), file_(folder_ / kFileName) {}

bool ImportJournal::isImportFileName(const std::string &name) {
    const std::string_view text(name);
    if (!text.starts_with(kPrefix) || text.size() < kPrefix.size() + kUuidLength + 2) {
        return false;
    }
    const std::string_view uuid = text.substr(kPrefix.size(), kUuidLength);
    const std::string_view rest = text.substr(kPrefix.size() + kUuidLength);
    return Uuid::parse(uuid).has_value() && rest.front() == '.' && isExtension(rest.substr(1));
}

bool ImportJournal::isImportTemporary(const std::string &name) {
    const std::string_view text(name);
    if (!text.starts_with(".")) {
        return false;
    }
    const std::string_view inner = text.substr(1);
    if (inner.ends_with(".part")) {
        return isImportFileName(std::string(inner.substr(0, inner.size() - 5)));
    }
    if (!inner.ends_with(".tmp")) {
        return false;
    }
    // "user.<UUID>.<extension>." + anything + ".tmp": the import file's name is what comes before the third dot
    // after the UUID's start.
    const std::size_t extensionDot = kPrefix.size() + kUuidLength;
    if (inner.size() <= extensionDot + 1 || inner[extensionDot] != '.') {
        return false;
    }
    const std::size_t end = inner.find('.', extensionDot + 1);
    return end != std::string_view::npos && isImportFileName(std::string(inner.substr(0, end)));
}

std::vector<std::string> ImportJournal::read() const {
    std::vector<std::string> names;
    std::error_code error;
    if (std::filesystem::file_size(file_, error) > kMaxRecordBytes || error) {
        return names;
    }
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        if (isImportFileName(line)) {
            names.push_back(line);
        }
    }
    return names;
}

void ImportJournal::write(const std::vector<std::string> &names) const {
    if (names.empty()) {
        std::filesystem::remove(file_);
        return;
    }
    std::string text;
    for (const auto &name : names) {
        text += name;
        text += '\n';
    }
    writeFileAtomically(file_, text);
}

void ImportJournal::begin(const std::string &fileName) {
    std::lock_guard guard(lock_);
    std::vector<std::string> names = names_;
    names.push_back(fileName);
    std::filesystem::create_directories(folder_);
    write(names);
    names_ = std::move(names);
}

void ImportJournal::finish(const std::vector<std::string> &fileNames) {
    std::lock_guard guard(lock_);
    const auto before = names_.size();
    std::erase_if(names_, [&](const std::string &name) {
        return std::find(fileNames.begin(), fileNames.end(), name) != fileNames.end();
    });
    if (names_.size() == before) {
        return;
    }
    try {
        write(names_);
    } catch (const std::filesystem::filesystem_error &) {
        // The names stay on disk and are settled at the next start, against the document.
    }
}

std::vector<std::string> ImportJournal::pending() const {
    std::lock_guard guard(lock_);
    return names_;
}

ImportJournal::Settled ImportJournal::settle(const std::set<std::string> &listed, bool documentRead) {
    std::lock_guard guard(lock_);
    Settled settled;
    std::error_code error;
    removeStaleTemporaries(file_);
    std::vector<std::filesystem::path> temporaries;
    for (std::filesystem::directory_iterator entries(folder_, error), end; !error && entries != end;
         entries.increment(error)) {
        // Not followed: a link with such a name is not a file an import made.
        if (!entries->is_symlink(error) && entries->is_regular_file(error) &&
            isImportTemporary(entries->path().filename().string())) {
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
    names_.clear();
    std::filesystem::remove(file_, error);
    return settled;
}

} // namespace tc
