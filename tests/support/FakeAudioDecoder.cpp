#include "support/FakeAudioDecoder.h"

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

} // namespace tc::test
