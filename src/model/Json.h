#pragma once

#include "model/AppData.h"
#include "model/JsonRead.h"

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <string_view>

namespace tc {

// Writing a document failed: a Double field holds NaN or an infinity, which the program never stores.
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one JSON form of the document records, shared by data.json, the backup and share packs.
//
// Writing: every record is an object whose member names are the field names; absent optionals are
// left out (never null); UUIDs are upper-case; throws EncodeError for a non-finite Double.
// Reading: all or nothing. Unknown members are ignored; a missing or null member means absent for an
// optional and the default for the defaulted members of KeyAssignment and AppSettings; anything else
// wrong (a missing required member, a wrong JSON type, a number out of range, an unknown category or
// colour, a bad UUID, a trigger kind without exactly one of "shortcut" and "word") throws DecodeError.
nlohmann::json toJson(const KeyAssignment &assignment);
nlohmann::json toJson(const Profile &profile);
nlohmann::json toJson(const SoundItem &item);
nlohmann::json toJson(const Trigger::Kind &kind);
nlohmann::json toJson(const Trigger &trigger);
nlohmann::json toJson(const AppRule &rule);
nlohmann::json toJson(const AppSettings &settings);
nlohmann::json toJson(const AppData &data);

// Reads one record; `path` names the value's place in errors when it sits inside a larger value.
template <typename Record> Record fromJson(const nlohmann::json &json, const JsonPath &path = {});
template <> KeyAssignment fromJson<KeyAssignment>(const nlohmann::json &json, const JsonPath &path);
template <> Profile fromJson<Profile>(const nlohmann::json &json, const JsonPath &path);
template <> SoundItem fromJson<SoundItem>(const nlohmann::json &json, const JsonPath &path);
template <> Trigger::Kind fromJson<Trigger::Kind>(const nlohmann::json &json, const JsonPath &path);
template <> Trigger fromJson<Trigger>(const nlohmann::json &json, const JsonPath &path);
template <> AppRule fromJson<AppRule>(const nlohmann::json &json, const JsonPath &path);
template <> AppSettings fromJson<AppSettings>(const nlohmann::json &json, const JsonPath &path);
template <> AppData fromJson<AppData>(const nlohmann::json &json, const JsonPath &path);

// The document as text and back. decodeAppData throws DecodeError, also for text that is not JSON.
// Whether the document holds a profile is the caller's concern.
AppData decodeAppData(std::string_view text);
std::string encodeAppData(const AppData &data, bool pretty);

// Serialises any JSON value to text without ever failing on a string that is not valid UTF-8 (such
// bytes become U+FFFD): a save must not be lost to one odd name.
std::string dumpJson(const nlohmann::json &json, bool pretty);

} // namespace tc
