#include "engine/ImportFileName.h"

#include "model/Uuid.h"

#include <algorithm>

namespace tc {

namespace {

constexpr std::string_view kPrefix = "user.";
constexpr std::string_view kPartialSuffix = ".part";
constexpr std::size_t kUuidLength = 36;
constexpr std::size_t kMaxExtension = 16;

bool isExtension(std::string_view text) {
    return !text.empty() && text.size() <= kMaxExtension && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

} // namespace

ImportFileName ImportFileName::make(std::string_view extension) {
    ImportFileName name;
    name.id = std::string(kPrefix) + Uuid::random().toString();
    name.fileName = name.id + "." + std::string(extension);
    return name;
}

std::string ImportFileName::partialName(std::string_view fileName) {
    return "." + std::string(fileName) + std::string(kPartialSuffix);
}

bool ImportFileName::isImportFileName(std::string_view name) {
    if (!name.starts_with(kPrefix) || name.size() < kPrefix.size() + kUuidLength + 2) {
        return false;
    }
    const std::string_view uuid = name.substr(kPrefix.size(), kUuidLength);
    const std::string_view rest = name.substr(kPrefix.size() + kUuidLength);
    return Uuid::parse(uuid).has_value() && rest.front() == '.' && isExtension(rest.substr(1));
}

bool ImportFileName::isImportTemporary(std::string_view name) {
    if (!name.starts_with(".")) {
        return false;
    }
    const std::string_view inner = name.substr(1);
    if (inner.ends_with(kPartialSuffix)) {
        return isImportFileName(inner.substr(0, inner.size() - kPartialSuffix.size()));
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
    return end != std::string_view::npos && isImportFileName(inner.substr(0, end));
}

} // namespace tc
