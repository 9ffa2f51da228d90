#pragma once

#include <filesystem>
#include <string_view>

namespace tc {

// Writes `bytes` to a temporary file in the target's folder and renames it over the target, so the target
// is either the old file or the complete new one. Throws std::filesystem::filesystem_error; the temporary
// file is removed on failure. Thread: any.
void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes);

} // namespace tc
