#include "model/TapchimePack.h"

#include "model/Json.h"

#include <array>

namespace tc {

namespace {

using nlohmann::json;
namespace rd = jsonread;

json toJson(const TapchimePack::PackSound &sound) {
    return json{{"item", toJson(sound.item)}, {"data", base64::encode(sound.data)}};
}

TapchimePack::PackSound readSound(const json &value, const JsonPath &path, std::size_t maxBytes) {
    rd::object(value, path);
    TapchimePack::PackSound sound;
    sound.item = fromJson<SoundItem>(rd::requiredMember(value, "item", path), path.member("item"));
    const JsonPath dataPath = path.member("data");
    const std::string text = rd::string(rd::requiredMember(value, "data", path), dataPath);
    if (base64::decodedSize(text) > maxBytes) {
        rd::fail(dataPath, "the sound is larger than a packed sound may be");
    }
    auto bytes = base64::decode(text);
    if (!bytes) {
        rd::fail(dataPath, "not valid base64");
    }
    sound.data = std::move(*bytes);
    return sound;
}

} // namespace

namespace base64 {

std::string encode(const std::vector<std::uint8_t> &bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 1) {
        const std::uint32_t group = bytes[i] << 16;
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += "==";
    } else if (rest == 2) {
        const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += '=';
    }
    return text;
}

std::size_t decodedSize(std::string_view text) {
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    const std::size_t groups = (text.size() + 3) / 4;
    const std::size_t size = groups * 3;
    return size >= padding ? size - padding : 0;
}

namespace {

// Reads strict base64 (see decode) and hands each byte to `emit`; false for a text that is not.
template <typename Emit> bool decodeInto(std::string_view text, Emit &&emit) {
    if (text.size() % 4 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        std::uint32_t group = 0;
        for (int k = 0; k < 4; ++k) {
            const int value = k < 4 - padding ? kValues[static_cast<unsigned char>(text[i + k])] : 0;
            if (value < 0) {
                return false; // also a "=" anywhere but the end
            }
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        emit(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2) {
            emit(static_cast<std::uint8_t>(group >> 8));
        }
        if (padding < 1) {
            emit(static_cast<std::uint8_t>(group));
        }
        // The bits the padding stands for must be zero, so every text has one reading.
        const std::uint32_t unused = padding == 2 ? 0xFFFFu : padding == 1 ? 0xFFu : 0u;
        if ((group & unused) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> decode(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    if (!decodeInto(text, [&bytes](std::uint8_t byte) { bytes.push_back(byte); })) {
        return std::nullopt;
    }
    return bytes;
}

bool isValid(std::string_view text) {
    return decodeInto(text, [](std::uint8_t) {});
}

} // namespace base64

json toJson(const TapchimePack &pack) {
    json sounds = json::array();
    for (const auto &sound : pack.sounds) {
        sounds.push_back(toJson(sound));
    }
    return json{{"version", pack.version}, {"profile", toJson(pack.profile)}, {"sounds", std::move(sounds)}};
}

namespace {

TapchimePack readPack(const json &value, const JsonPath &path, std::size_t maxSoundBytes) {
    rd::object(value, path);
    TapchimePack pack;
    pack.version = rd::integer<std::int64_t>(rd::requiredMember(value, "version", path), path.member("version"));
    pack.profile = fromJson<Profile>(rd::requiredMember(value, "profile", path), path.member("profile"));
    const JsonPath soundsPath = path.member("sounds");
    const json &sounds = rd::array(rd::requiredMember(value, "sounds", path), soundsPath);
    pack.sounds.reserve(sounds.size());
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        pack.sounds.push_back(readSound(sounds[i], soundsPath.index(i), maxSoundBytes));
    }
    return pack;
}

} // namespace

template <> TapchimePack fromJson<TapchimePack>(const json &value, const JsonPath &path) {
    return readPack(value, path, TapchimePack::kMaxSoundBytes);
}

std::string encodePack(const TapchimePack &pack) {
    // The JSON objects keep their members sorted by name. A "/" can only occur inside a string, so
    // escaping every one in the text is exact.
    const std::string plain = dumpJson(toJson(pack), true);
    std::string text;
    text.reserve(plain.size() + plain.size() / 16);
    for (char c : plain) {
        if (c == '/') {
            text += '\\';
        }
        text += c;
    }
    return text;
}

TapchimePack decodePack(std::string_view text, std::size_t maxSoundBytes) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception &error) {
        throw DecodeError({}, std::string("not a valid JSON document: ") + error.what());
    }
    return readPack(document, {}, maxSoundBytes);
}

TapchimePack decodePackTree(const nlohmann::json &document, std::size_t maxSoundBytes) {
    return readPack(document, {}, maxSoundBytes);
}

} // namespace tc
