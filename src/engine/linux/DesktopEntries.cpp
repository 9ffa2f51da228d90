#include "engine/linux/DesktopEntries.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace tc {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kMaxFileBytes = 1 << 20; // a desktop file is a few kilobytes; skip anything odd
constexpr int kMaxDepth = 4;                      // subfolders of an applications folder

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The escapes a desktop-file string value may hold.
std::string unescape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += value[i];
        }
    }
    return out;
}

std::string idFromFileName(std::string name) {
    if (auto slash = name.rfind('/'); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    constexpr std::string_view kSuffix = ".desktop";
    if (name.size() > kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0) {
        name.erase(name.size() - kSuffix.size());
    }
    return name;
}

fs::path homeFolder() {
    const char *home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path();
}

} // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, const std::vector<std::string> &languages) {
    bool inEntry = false;
    bool sawEntry = false;
    std::map<std::string, std::string> values; // key (with its [locale]) → raw value; the first one counts
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (sawEntry && inEntry) {
                break; // the groups after [Desktop Entry] (actions) do not matter here
            }
            inEntry = line == "[Desktop Entry]";
            sawEntry = sawEntry || inEntry;
            continue;
        }
        if (!inEntry) {
            continue;
        }
        auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        values.emplace(std::string(trim(line.substr(0, equals))), std::string(trim(line.substr(equals + 1))));
    }
    auto value = [&](const std::string &key) -> const std::string * {
        auto it = values.find(key);
        return it == values.end() ? nullptr : &it->second;
    };
    auto isTrue = [&](const std::string &key) {
        const auto *v = value(key);
        return v && *v == "true";
    };

    const auto *type = value("Type");
    if (!sawEntry || !type || *type != "Application" || isTrue("Hidden")) {
        return std::nullopt;
    }
    const std::string *name = nullptr;
    for (const auto &language : languages) {
        if ((name = value("Name[" + language + "]"))) {
            break;
        }
    }
    if (!name) {
        name = value("Name");
    }
    if (!name || name->empty()) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.name = unescape(*name);
    if (const auto *icon = value("Icon")) {
        entry.icon = unescape(*icon);
    }
    if (const auto *wmClass = value("StartupWMClass")) {
        entry.startupWmClass = unescape(*wmClass);
    }
    entry.hidden = isTrue("NoDisplay");
    return entry;
}

std::vector<fs::path> DesktopEntries::defaultFolders() {
    std::vector<fs::path> folders;
    const auto home = homeFolder();
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome == '/') {
        folders.push_back(fs::path(dataHome) / "applications");
    } else if (!home.empty()) {
        folders.push_back(home / ".local/share/applications");
    }
    const char *dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string dirs = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    std::stringstream stream(dirs);
    for (std::string dir; std::getline(stream, dir, ':');) {
        if (!dir.empty() && dir.front() == '/') {
            folders.push_back(fs::path(dir) / "applications");
        }
    }
    // Flatpak exports usually are in XDG_DATA_DIRS already; the duplicates are dropped below.
    folders.emplace_back("/var/lib/flatpak/exports/share/applications");
    if (!home.empty()) {
        folders.push_back(home / ".local/share/flatpak/exports/share/applications");
    }
    std::vector<fs::path> unique;
    for (auto &folder : folders) {
        folder = folder.lexically_normal();
        if (std::find(unique.begin(), unique.end(), folder) == unique.end()) {
            unique.push_back(folder);
        }
    }
    return unique;
}

std::vector<std::string> DesktopEntries::defaultLanguages() {
    std::string locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char *value = std::getenv(name); value && *value) {
            locale = value;
            break;
        }
    }
    // lang_COUNTRY.ENCODING@MODIFIER → lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang
    std::string modifier;
    if (auto at = locale.find('@'); at != std::string::npos) {
        modifier = locale.substr(at);
        locale.erase(at);
    }
    if (auto dot = locale.find('.'); dot != std::string::npos) {
        locale.erase(dot);
    }
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return {};
    }
    std::string language = locale.substr(0, locale.find('_'));
    std::vector<std::string> languages;
    auto add = [&](const std::string &name) {
        if (std::find(languages.begin(), languages.end(), name) == languages.end()) {
            languages.push_back(name);
        }
    };
    if (!modifier.empty()) {
        add(locale + modifier);
    }
    add(locale);
    if (!modifier.empty()) {
        add(language + modifier);
    }
    add(language);
    return languages;
}

DesktopEntries::DesktopEntries() : DesktopEntries(defaultFolders(), defaultLanguages()) {}

DesktopEntries::DesktopEntries(std::vector<fs::path> folders, std::vector<std::string> languages)
    : folders_(std::move(folders)), languages_(std::move(languages)) {
    load();
}

void DesktopEntries::load() {
    entries_.clear();
    byWmClass_.clear();
    byLowerId_.clear();
    stamps_.clear();
    std::set<std::string> seen; // an id in an earlier folder masks it in later ones, also when hidden there
    for (const auto &folder : folders_) {
        std::error_code error;
        auto stamp = fs::last_write_time(folder, error);
        stamps_.push_back(error ? fs::file_time_type::min() : stamp);
        if (error) {
            continue;
        }
        std::vector<fs::path> files;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
        for (; !error && it != end; it.increment(error)) {
            if (it.depth() >= kMaxDepth) {
                it.disable_recursion_pending();
            }
            if (it->path().extension() == ".desktop" && it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto &file : files) {
            std::string id = file.lexically_relative(folder).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second) {
                continue;
            }
            auto size = fs::file_size(file, error);
            if (error || size > kMaxFileBytes) {
                continue;
            }
            std::ifstream in(file, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            auto entry = parseDesktopEntry(text, languages_);
            if (!entry) {
                continue;
            }
            entry->id = id;
            entry->file = file;
            if (!entry->startupWmClass.empty()) {
                byWmClass_.emplace(lower(entry->startupWmClass), id);
            }
            byLowerId_.emplace(lower(id), id);
            entries_.emplace(id, std::move(*entry));
        }
    }
}

bool DesktopEntries::refreshIfChanged() {
    for (size_t i = 0; i < folders_.size(); ++i) {
        std::error_code error;
        auto stamp = fs::last_write_time(folders_[i], error);
        if ((error ? fs::file_time_type::min() : stamp) != stamps_[i]) {
            load();
            return true;
        }
    }
    return false;
}

const DesktopEntry *DesktopEntries::find(const std::string &id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

std::vector<DesktopEntry> DesktopEntries::installed() const {
    std::vector<DesktopEntry> list;
    for (const auto &[id, entry] : entries_) {
        if (!entry.hidden) {
            list.push_back(entry);
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const DesktopEntry &a, const DesktopEntry &b) {
        auto left = lower(a.name), right = lower(b.name);
        return left != right ? left < right : a.id < b.id;
    });
    return list;
}

std::optional<AppIdentity> DesktopEntries::identityFor(const std::string &id, const WindowHints &hints) const {
    if (id.empty()) {
        return std::nullopt;
    }
    if (const auto *entry = find(id)) {
        return AppIdentity{id, entry->name};
    }
    return AppIdentity{id, hints.wmClass.empty() ? id : hints.wmClass};
}

std::optional<AppIdentity> DesktopEntries::resolve(const WindowHints &hints) const {
    const std::string gtkId = hints.gtkApplicationId;
    const std::string kdeId = idFromFileName(hints.kdeDesktopFile);
    // The first hint that names an installed entry wins.
    for (const auto *id : {&gtkId, &kdeId}) {
        if (!id->empty() && find(*id)) {
            return identityFor(*id, hints);
        }
    }
    for (const auto &wmName : {hints.wmClass, hints.wmInstance}) {
        if (auto it = byWmClass_.find(lower(wmName)); !wmName.empty() && it != byWmClass_.end()) {
            return identityFor(it->second, hints);
        }
    }
    for (const auto &wmName : {hints.wmClass, hints.wmInstance}) {
        if (auto it = byLowerId_.find(lower(wmName)); !wmName.empty() && it != byLowerId_.end()) {
            return identityFor(it->second, hints);
        }
    }
    // No entry: the first hint there is names the application.
    for (const auto *id : {&gtkId, &kdeId, &hints.wmClass, &hints.wmInstance}) {
        if (!id->empty()) {
            return identityFor(*id, hints);
        }
    }
    return std::nullopt;
}

} // namespace tc
