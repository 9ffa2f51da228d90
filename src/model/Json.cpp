#include "model/Json.h"

#include <cmath>
#include <string>

namespace tc {

namespace {

using nlohmann::json;
namespace rd = jsonread;

json finite(double value, const char *field) {
    if (!std::isfinite(value)) {
        throw EncodeError(std::string(field) + " is not a finite number");
    }
    return value;
}

// Reads a defaulted or optional member: absent (missing or null) leaves `target` as it is.
template <typename Read, typename Target>
void readIfPresent(const json &object, std::string_view name, const JsonPath &path, Target &target, Read read) {
    if (const json *member = rd::optionalMember(object, name)) {
        target = read(*member, path.member(name));
    }
}

template <typename Record> std::vector<Record> readList(const json &value, const JsonPath &path) {
    rd::array(value, path);
    std::vector<Record> result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        result.push_back(fromJson<Record>(value[i], path.index(i)));
    }
    return result;
}

template <typename Record> json writeList(const std::vector<Record> &records) {
    json result = json::array();
    for (const auto &record : records) {
        result.push_back(toJson(record));
    }
    return result;
}

std::string requiredString(const json &object, std::string_view name, const JsonPath &path) {
    return rd::string(rd::requiredMember(object, name, path), path.member(name));
}

} // namespace

// ---- writing ---------------------------------------------------------------------------------------

json toJson(const KeyAssignment &assignment) {
    return json{{"soundID", assignment.soundID},
                {"volume", finite(assignment.volume, "KeyAssignment.volume")},
                {"pitchVariation", finite(assignment.pitchVariation, "KeyAssignment.pitchVariation")},
                {"randomInCategory", assignment.randomInCategory},
                {"layerBase", assignment.layerBase},
                {"playOnKeyUp", assignment.playOnKeyUp}};
}

json toJson(const Profile &profile) {
    json keys = json::object();
    for (const auto &[code, assignment] : profile.keys) {
        keys[code] = toJson(assignment);
    }
    return json{{"id", profile.id.toString()},
                {"name", profile.name},
                {"color", toString(profile.color)},
                {"baseSoundID", profile.baseSoundID},
                {"keys", std::move(keys)}};
}

json toJson(const SoundItem &item) {
    json result = {{"id", item.id},
                   {"name", item.name},
                   {"category", toString(item.category)},
                   {"duration", finite(item.duration, "SoundItem.duration")}};
    if (item.fileName) {
        result["fileName"] = *item.fileName;
    }
    return result;
}

json toJson(const Trigger::Kind &kind) {
    if (const auto *shortcut = kind.asShortcut()) {
        return json{{"shortcut", {{"keyCode", shortcut->keyCode}, {"modifiers", shortcut->modifiers}}}};
    }
    return json{{"word", {{"_0", kind.asWord()->word}}}};
}

json toJson(const Trigger &trigger) {
    return json{{"id", trigger.id.toString()},
                {"kind", toJson(trigger.kind)},
                {"soundID", trigger.soundID},
                {"appBundleIDs", trigger.appBundleIDs},
                {"enabled", trigger.enabled}};
}

json toJson(const AppRule &rule) {
    json result = {{"bundleID", rule.bundleID}, {"appName", rule.appName}};
    if (rule.profileID) {
        result["profileID"] = rule.profileID->toString();
    }
    return result;
}

json toJson(const AppSettings &settings) {
    json result = {{"enabled", settings.enabled},
                   {"masterVolume", finite(settings.masterVolume, "AppSettings.masterVolume")},
                   {"lowLatency", settings.lowLatency},
                   {"maxVoices", settings.maxVoices},
                   {"muteWhenMicInUse", settings.muteWhenMicInUse},
                   {"muteInSecureInput", settings.muteInSecureInput},
                   {"quietHoursEnabled", settings.quietHoursEnabled},
                   {"quietStartMinutes", settings.quietStartMinutes},
                   {"quietEndMinutes", settings.quietEndMinutes},
                   {"hasCompletedOnboarding", settings.hasCompletedOnboarding},
                   {"coachStep", settings.coachStep},
                   {"coachDismissed", settings.coachDismissed},
                   {"stereoSpread", settings.stereoSpread},
                   {"seededPacks", settings.seededPacks},
                   {"tipsSeen", settings.tipsSeen}};
    if (settings.outputDeviceUID) {
        result["outputDeviceUID"] = *settings.outputDeviceUID;
    }
    return result;
}

json toJson(const AppData &data) {
    return json{{"profiles", writeList(data.profiles)},     {"activeProfileID", data.activeProfileID.toString()},
                {"triggers", writeList(data.triggers)},     {"appRules", writeList(data.appRules)},
                {"userSounds", writeList(data.userSounds)}, {"settings", toJson(data.settings)}};
}

// ---- reading ---------------------------------------------------------------------------------------

template <> KeyAssignment fromJson<KeyAssignment>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    KeyAssignment result;
    result.soundID = requiredString(value, "soundID", path);
    readIfPresent(value, "volume", path, result.volume, rd::number);
    readIfPresent(value, "pitchVariation", path, result.pitchVariation, rd::number);
    readIfPresent(value, "randomInCategory", path, result.randomInCategory, rd::boolean);
    readIfPresent(value, "layerBase", path, result.layerBase, rd::boolean);
    readIfPresent(value, "playOnKeyUp", path, result.playOnKeyUp, rd::boolean);
    return result;
}

template <> Profile fromJson<Profile>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    Profile result;
    result.id = rd::uuid(rd::requiredMember(value, "id", path), path.member("id"));
    result.name = requiredString(value, "name", path);
    const std::string color = requiredString(value, "color", path);
    const auto parsedColor = profileColorFromString(color);
    if (!parsedColor) {
        rd::fail(path.member("color"),
                 json(color).dump(-1, ' ', false, json::error_handler_t::replace) + " is not a profile colour");
    }
    result.color = *parsedColor;
    result.baseSoundID = requiredString(value, "baseSoundID", path);
    const JsonPath keysPath = path.member("keys");
    const json &keys = rd::object(rd::requiredMember(value, "keys", path), keysPath);
    for (const auto &[code, assignment] : keys.items()) {
        result.keys.emplace(code, fromJson<KeyAssignment>(assignment, keysPath.member(code)));
    }
    return result;
}

template <> SoundItem fromJson<SoundItem>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    SoundItem result;
    result.id = requiredString(value, "id", path);
    result.name = requiredString(value, "name", path);
    const std::string category = requiredString(value, "category", path);
    const auto parsedCategory = soundCategoryFromString(category);
    if (!parsedCategory) {
        rd::fail(path.member("category"),
                 json(category).dump(-1, ' ', false, json::error_handler_t::replace) + " is not a sound category");
    }
    result.category = *parsedCategory;
    readIfPresent(value, "fileName", path, result.fileName, rd::string);
    result.duration = rd::number(rd::requiredMember(value, "duration", path), path.member("duration"));
    return result;
}

template <> Trigger::Kind fromJson<Trigger::Kind>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    // Exactly one of the two case names may appear (a null counts as appearing); other members are
    // ignored.
    const bool hasShortcut = value.contains("shortcut");
    const bool hasWord = value.contains("word");
    if (hasShortcut == hasWord) {
        throw DecodeError(path.toString(), "Invalid number of keys found, expected one.");
    }
    if (hasShortcut) {
        const JsonPath shortcutPath = path.member("shortcut");
        const json &shortcut = rd::object(rd::requiredMember(value, "shortcut", path), shortcutPath);
        const auto keyCode = rd::integer<std::uint16_t>(rd::requiredMember(shortcut, "keyCode", shortcutPath),
                                                        shortcutPath.member("keyCode"));
        const auto modifiers = rd::integer<std::uint64_t>(rd::requiredMember(shortcut, "modifiers", shortcutPath),
                                                          shortcutPath.member("modifiers"));
        return Trigger::Kind::shortcut(keyCode, modifiers);
    }
    const JsonPath wordPath = path.member("word");
    const json &word = rd::object(rd::requiredMember(value, "word", path), wordPath);
    return Trigger::Kind::word(requiredString(word, "_0", wordPath));
}

template <> Trigger fromJson<Trigger>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    Trigger result;
    result.id = rd::uuid(rd::requiredMember(value, "id", path), path.member("id"));
    result.kind = fromJson<Trigger::Kind>(rd::requiredMember(value, "kind", path), path.member("kind"));
    result.soundID = requiredString(value, "soundID", path);
    result.appBundleIDs = rd::stringList(rd::requiredMember(value, "appBundleIDs", path), path.member("appBundleIDs"));
    result.enabled = rd::boolean(rd::requiredMember(value, "enabled", path), path.member("enabled"));
    return result;
}

template <> AppRule fromJson<AppRule>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    AppRule result;
    result.bundleID = requiredString(value, "bundleID", path);
    result.appName = requiredString(value, "appName", path);
    readIfPresent(value, "profileID", path, result.profileID, rd::uuid);
    return result;
}

template <> AppSettings fromJson<AppSettings>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    AppSettings s; // starts from the defaults; each member present and not null replaces its default
    readIfPresent(value, "enabled", path, s.enabled, rd::boolean);
    readIfPresent(value, "masterVolume", path, s.masterVolume, rd::number);
    readIfPresent(value, "lowLatency", path, s.lowLatency, rd::boolean);
    readIfPresent(value, "maxVoices", path, s.maxVoices, rd::integer<std::int64_t>);
    readIfPresent(value, "muteWhenMicInUse", path, s.muteWhenMicInUse, rd::boolean);
    readIfPresent(value, "muteInSecureInput", path, s.muteInSecureInput, rd::boolean);
    readIfPresent(value, "quietHoursEnabled", path, s.quietHoursEnabled, rd::boolean);
    readIfPresent(value, "quietStartMinutes", path, s.quietStartMinutes, rd::integer<std::int64_t>);
    readIfPresent(value, "quietEndMinutes", path, s.quietEndMinutes, rd::integer<std::int64_t>);
    readIfPresent(value, "outputDeviceUID", path, s.outputDeviceUID, rd::string);
    readIfPresent(value, "hasCompletedOnboarding", path, s.hasCompletedOnboarding, rd::boolean);
    readIfPresent(value, "coachStep", path, s.coachStep, rd::integer<std::int64_t>);
    readIfPresent(value, "coachDismissed", path, s.coachDismissed, rd::boolean);
    readIfPresent(value, "stereoSpread", path, s.stereoSpread, rd::boolean);
    readIfPresent(value, "seededPacks", path, s.seededPacks, rd::stringList);
    readIfPresent(value, "tipsSeen", path, s.tipsSeen, rd::stringList);
    return s;
}

template <> AppData fromJson<AppData>(const json &value, const JsonPath &path) {
    rd::object(value, path);
    AppData result;
    result.profiles = readList<Profile>(rd::requiredMember(value, "profiles", path), path.member("profiles"));
    result.activeProfileID =
        rd::uuid(rd::requiredMember(value, "activeProfileID", path), path.member("activeProfileID"));
    result.triggers = readList<Trigger>(rd::requiredMember(value, "triggers", path), path.member("triggers"));
    result.appRules = readList<AppRule>(rd::requiredMember(value, "appRules", path), path.member("appRules"));
    result.userSounds = readList<SoundItem>(rd::requiredMember(value, "userSounds", path), path.member("userSounds"));
    result.settings = fromJson<AppSettings>(rd::requiredMember(value, "settings", path), path.member("settings"));
    return result;
}

// ---- text ------------------------------------------------------------------------------------------

AppData decodeAppData(std::string_view text) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception &error) {
        throw DecodeError({}, std::string("not a valid JSON document: ") + error.what());
    }
    return fromJson<AppData>(document);
}

namespace {

// The size of a list's compact text: "[" + the records' texts joined by "," + "]".
template <typename Record> std::size_t compactListSize(const std::vector<Record> &records) {
    std::size_t size = 2 + (records.empty() ? 0 : records.size() - 1);
    for (const auto &record : records) {
        size += dumpJson(toJson(record), false).size();
    }
    return size;
}

template <typename Record> void appendCompactList(std::string &text, const std::vector<Record> &records) {
    text += '[';
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += dumpJson(toJson(records[i]), false);
    }
    text += ']';
}

} // namespace

std::string encodeAppData(const AppData &data, bool pretty) {
    if (pretty) {
        return dumpJson(toJson(data), true);
    }
    // The compact text is what dumping toJson(data) makes (members in name order), but made a record at a time
    // into text allocated once at its final size (measured by a first pass): the whole document never stands a
    // second time as a JSON tree, nor does its text double as it grows. A big document is so held twice while it
    // is written (the document and its text), not four times over, for twice the encoding work.
    const std::string activeProfileID = dumpJson(data.activeProfileID.toString(), false);
    const std::string settings = dumpJson(toJson(data.settings), false);
    constexpr std::string_view kNames[] = {"{\"activeProfileID\":",
                                           ",\"appRules\":",
                                           ",\"profiles\":",
                                           ",\"settings\":",
                                           ",\"triggers\":",
                                           ",\"userSounds\":",
                                           "}"};
    std::size_t size = activeProfileID.size() + settings.size() + compactListSize(data.appRules) +
                       compactListSize(data.profiles) + compactListSize(data.triggers) +
                       compactListSize(data.userSounds);
    for (const auto name : kNames) {
        size += name.size();
    }
    std::string text;
    text.reserve(size);
    text += kNames[0];
    text += activeProfileID;
    text += kNames[1];
    appendCompactList(text, data.appRules);
    text += kNames[2];
    appendCompactList(text, data.profiles);
    text += kNames[3];
    text += settings;
    text += kNames[4];
    appendCompactList(text, data.triggers);
    text += kNames[5];
    appendCompactList(text, data.userSounds);
    text += kNames[6];
    return text;
}

std::string dumpJson(const json &value, bool pretty) {
    return value.dump(pretty ? 2 : -1, ' ', false, json::error_handler_t::replace);
}

} // namespace tc
