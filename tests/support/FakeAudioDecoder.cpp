#include "support/FakeAudioDecoder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>

namespace tc::test {

std::string FakeAudioDecoder::tone(int frames, float amplitude, int lead) {
    std::ostringstream text;
    text << "tone " << frames << " " << amplitude << " " << lead;
    return text.str();
}

AudioBuffer FakeAudioDecoder::read(const std::filesystem::path &path) const {
    {
        std::lock_guard guard(mutex_);
        ++reads_[path.filename().string()];
    }
    std::ifstream in(path);
    std::string kind;
    if (!(in >> kind)) {
        throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
    }
    AudioBuffer buffer;
    if (kind == "tone") {
        int frames = 0;
        float amplitude = 0;
        int lead = 0;
        if (!(in >> frames >> amplitude)) {
            throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
        }
        in >> lead;
        buffer.left.assign(static_cast<size_t>(lead), 0.0f);
        for (int i = 0; i < frames; ++i) {
            buffer.left.push_back(i % 2 == 0 ? amplitude : -amplitude);
        }
    } else if (kind == "silence") {
        int frames = 0;
        in >> frames;
        buffer.left.assign(static_cast<size_t>(frames), 0.0f);
    } else {
        throw AudioDecodeError(AudioDecodeError::Kind::unreadable);
    }
    if (buffer.left.empty()) {
        throw AudioDecodeError(AudioDecodeError::Kind::empty);
    }
    buffer.right = buffer.left;
    return buffer;
}

int FakeAudioDecoder::reads(const std::string &fileName) const {
    std::lock_guard guard(mutex_);
    const auto it = reads_.find(fileName);
    return it == reads_.end() ? 0 : it->second;
}

void writeText(const std::filesystem::path &path, const std::string &text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readText(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {

std::string decodeMessage(const std::function<void()> &action) {
    try {
        action();
    } catch (const AudioDecodeError &error) {
        return error.what();
    }
    return "no error";
}

} // namespace

std::string decodeMessageWithoutPermission(const std::filesystem::path &file, const std::function<void()> &action) {
    std::filesystem::permissions(file, std::filesystem::perms::none);
    if (geteuid() != 0) {
        return decodeMessage(action);
    }
    int channel[2];
    if (pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        // "nobody": a user with no right to the file.
        std::string message = setgid(65534) == 0 && setuid(65534) == 0 ? decodeMessage(action) : "still root";
        const ssize_t written = write(channel[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string message;
    std::array<char, 256> chunk{};
    ssize_t got = 0;
    while (child > 0 && (got = read(channel[0], chunk.data(), chunk.size())) > 0) {
        message.append(chunk.data(), static_cast<std::size_t>(got));
    }
    close(channel[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    return child > 0 ? message : "no child";
}

} // namespace tc::test
