#pragma once

#include "model/Json.h"
#include "model/Profile.h"
#include "model/SoundItem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

// A share pack: one profile with the user's own sounds it uses, audio included, as one ".tapchime" file.
// A plain value; reading and writing it is below, installing it is PackIO's job.
struct TapchimePack {
    // The most audio one packed sound may carry (its file's bytes).
    static constexpr std::size_t kMaxSoundBytes = 64u * 1024u * 1024u;

    // One packed sound: its catalogue entry as the exporting document had it, and its file's bytes.
    struct PackSound {
        SoundItem item;
        std::vector<std::uint8_t> data;

        friend bool operator==(const PackSound &, const PackSound &) = default;
    };

    std::int64_t version = 1; // written as 1; any integer is read
    Profile profile;          // as in the exporting document, its id included
    std::vector<PackSound> sounds;

    friend bool operator==(const TapchimePack &, const TapchimePack &) = default;
};

// The JSON form: {"profile", "sounds": [{"item", "data"}], "version"}, every member required, "data" in
// standard base64 with padding. Reading throws DecodeError like the document's records, also for a "data"
// that is not strict base64 or that would decode to more than TapchimePack::kMaxSoundBytes.
nlohmann::json toJson(const TapchimePack &pack);
template <> TapchimePack fromJson<TapchimePack>(const nlohmann::json &json, const JsonPath &path);

// The file's text: pretty-printed, members sorted by name, every "/" written as "\/". Throws EncodeError
// for a non-finite number.
std::string encodePack(const TapchimePack &pack);
// Reads a pack from its file's text in any layout and member order; throws DecodeError, also when a
// sound's data would decode to more than `maxSoundBytes`.
TapchimePack decodePack(std::string_view text, std::size_t maxSoundBytes = TapchimePack::kMaxSoundBytes);
// The same from the text's parsed JSON tree.
TapchimePack decodePackTree(const nlohmann::json &document, std::size_t maxSoundBytes = TapchimePack::kMaxSoundBytes);

// Standard base64 ("A–Z a–z 0–9 + /", "=" padding), no line breaks.
namespace base64 {
inline constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// The value of each character of the alphabet, -1 for anything else.
inline constexpr std::array<int, 256> kValues = [] {
    std::array<int, 256> values{};
    values.fill(-1);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    }
    return values;
}();

std::string encode(const std::vector<std::uint8_t> &bytes);
// Strict: the length is a multiple of four, padding only at the end, nothing outside the alphabet, no
// stray bits in the last character. nullopt for anything else.
std::optional<std::vector<std::uint8_t>> decode(std::string_view text);
// Whether decode() would read `text`, without making its bytes.
bool isValid(std::string_view text);
// The number of bytes a well-formed text decodes to.
std::size_t decodedSize(std::string_view text);
} // namespace base64

} // namespace tc
