#pragma once

#include "engine/AudioDecoder.h"

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace tc::test {

// An audio decoder for tests that reads a tiny text format instead of audio, so library and pack tests
// run without FFmpeg: a file holding "tone <frames> <amplitude> [<silent frames before>]" decodes to a
// square wave of that many frames and that magnitude in both channels; "silence <frames>" to zeros; any
// other content (or a missing file) is unreadable. Counts the reads per file name. Thread-safe.
class FakeAudioDecoder final : public AudioDecoder {
public:
    static std::string tone(int frames, float amplitude, int lead = 0);

    AudioBuffer read(const std::filesystem::path &path) const override;

    // How often a file of this name (without folder) was read.
    int reads(const std::string &fileName) const;

private:
    mutable std::mutex mutex_;
    mutable std::map<std::string, int> reads_;
};

// Writes text to a file, creating its folder.
void writeText(const std::filesystem::path &path, const std::string &text);
// A file's whole content.
std::string readText(const std::filesystem::path &path);

// The message of the AudioDecodeError that `action` throws ("no error" when it throws none), run with the
// user's permissions taken from `file` (mode 000). Root reads every file whatever its mode, so as root the
// action runs in a child process that has given up root first.
std::string decodeMessageWithoutPermission(const std::filesystem::path &file, const std::function<void()> &action);

} // namespace tc::test
