#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace tc {

// Writes `bytes` to a temporary file in the target's folder, flushes it to the disk and renames it over the
// target (then flushes the folder), so the target is either the old file or the complete new one, also
// after a crash. The folder must exist. Throws std::filesystem::filesystem_error; the temporary file is
// removed on failure. Thread: any.
//
// The temporary file is named "." + the target's name + "." + a new upper-case UUID + ".tmp"
// (".data.json.6F9619FF-8B86-D011-B42D-00C04FC964FF.tmp"). A process killed during a write leaves it behind.
void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes);

// A new name for a temporary file of `target`, as writeFileAtomically uses one.
std::filesystem::path newTemporaryPathFor(const std::filesystem::path &target);

// Whether `fileName` (a plain file name, no folder) is exactly the name of a temporary file that
// writeFileAtomically makes for `target`.
bool isTemporaryFileFor(const std::filesystem::path &target, std::string_view fileName);

// Removes the temporary files of writeFileAtomically for `target` that an interrupted write left in the
// target's folder: regular files whose name is exactly such a temporary name, nothing else. Only safe while
// no write to `target` runs (at start-up, before the first save). Returns how many were removed; errors are
// ignored (a file that cannot be removed stays).
std::size_t removeStaleTemporaries(const std::filesystem::path &target);

} // namespace tc
