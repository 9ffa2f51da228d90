#pragma once

#include <filesystem>
#include <string_view>

namespace tc::fuzz {

// A folder of the fuzzer's own under the system's temporary folder, made on first use and removed with
// everything in it when the process exits normally. Inputs that must be files are written there.
const std::filesystem::path &folder();

// Writes `bytes` to `path`, replacing what was there; aborts when it cannot (the fuzzer cannot go on).
void writeFile(const std::filesystem::path &path, std::string_view bytes);

// Stops the fuzzer with a message on standard error: an input broke a promise the code makes.
[[noreturn]] void fail(std::string_view what);

} // namespace tc::fuzz
