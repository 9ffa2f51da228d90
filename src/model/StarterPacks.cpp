#include "model/StarterPacks.h"

#include "model/KeyCodes.h"
#include "model/KeyLayout.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

namespace tc::StarterPacks {

namespace {

using LegacyKeyMap = std::map<std::string, std::string>; // key code text -> sound id

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The letter keys in layout order (Q W E ... M): the character keys whose label begins with a letter.
const std::vector<std::uint16_t> &letterCodes() {
    static const std::vector<std::uint16_t> kCodes = [] {
        std::vector<std::uint16_t> result;
        for (const auto &keyDef : KeyLayout::allKeys()) {
            if (keyDef.kind == KeyDef::Kind::character && keyDef.code && !keyDef.label.empty() &&
                isAsciiLetter(keyDef.label.front())) {
                result.push_back(*keyDef.code);
            }
        }
        return result;
    }();
    return kCodes;
}

// The key maps the built-in packs of these names had in earlier releases. A profile that still has
// exactly one of them was never edited and may be refreshed or retired by the upgrade.
const std::map<std::string, LegacyKeyMap> &legacyKeys() {
    static const std::map<std::string, LegacyKeyMap> kTable = [] {
        using KeyCodes::text;
        std::map<std::string, LegacyKeyMap> packs;

        LegacyKeyMap cat;
        const std::unordered_set<std::uint16_t> vowels = {0, 14, 34, 31, 32, 16}; // A E I O U Y
        for (auto code : letterCodes()) {
            cat[text(code)] = vowels.contains(code) ? "synth.meow" : "synth.mew";
        }
        cat[text(KeyCodes::kSpace)] = "synth.purr";
        cat[text(KeyCodes::kReturn)] = "synth.meow";
        cat[text(KeyCodes::kDelete)] = "synth.mew";
        packs.emplace("Cat cafe", std::move(cat));

        LegacyKeyMap arcade;
        for (auto code : letterCodes()) {
            arcade[text(code)] = "synth.blip";
        }
        arcade[text(KeyCodes::kSpace)] = "synth.jump";
        arcade[text(KeyCodes::kReturn)] = "synth.coin";
        arcade[text(KeyCodes::kDelete)] = "synth.laser";
        arcade[text(KeyCodes::kEsc)] = "synth.explosion";
        arcade[text(KeyCodes::kTab)] = "synth.powerup";
        packs.emplace("Arcade", std::move(arcade));

        LegacyKeyMap barnyard;
        static constexpr std::array<std::string_view, 8> kCycle = {
            "synth.chirp", "synth.quack", "rec.frog", "rec.pig", "rec.sheep", "synth.mew", "rec.bark", "rec.goat"};
        const auto &letters = letterCodes();
        for (std::size_t i = 0; i < letters.size(); ++i) {
            barnyard[text(letters[i])] = kCycle[i % kCycle.size()];
        }
        barnyard[text(KeyCodes::kReturn)] = "rec.rooster";
        barnyard[text(KeyCodes::kSpace)] = "rec.chicken";
        barnyard[text(KeyCodes::kDelete)] = "rec.moo";
        barnyard[text(KeyCodes::kTab)] = "rec.horse";
        barnyard[text(KeyCodes::kEsc)] = "rec.owl";
        packs.emplace("Barnyard", std::move(barnyard));

        packs.emplace("Meme mode", LegacyKeyMap{{text(KeyCodes::kSpace), "synth.boom"},
                                                {text(KeyCodes::kReturn), "synth.tada"},
                                                {text(KeyCodes::kDelete), "synth.boing"},
                                                {text(KeyCodes::kCaps), "synth.rimshot"},
                                                {text(KeyCodes::kTab), "synth.whoosh"},
                                                {text(KeyCodes::kCmdL), "synth.coin"},
                                                {text(KeyCodes::kCmdR), "synth.coin"},
                                                {text(KeyCodes::kShiftL), "synth.jump"},
                                                {text(KeyCodes::kShiftR), "synth.jump"},
                                                {text(KeyCodes::kEsc), "synth.sadtrombone"},
                                                {"96", "synth.rimshot"},
                                                {"97", "synth.whoosh"},
                                                {"98", "synth.airhorn"},
                                                {"100", "synth.boom"},
                                                {"35", "synth.pop"},
                                                {"12", "synth.quack"}});
        return packs;
    }();
    return kTable;
}

// True when the profile's name (exactly, case included) is an old built-in pack and its keys still play
// exactly that pack's sounds. Volumes, pitch, flags, base sound, colour and id do not count as edits.
bool isUnedited(const Profile &profile) {
    const auto &packs = legacyKeys();
    const auto pack = packs.find(profile.name);
    if (pack == packs.end() || pack->second.size() != profile.keys.size()) {
        return false;
    }
    return std::all_of(profile.keys.begin(), profile.keys.end(), [&](const auto &entry) {
        const auto legacy = pack->second.find(entry.first);
        return legacy != pack->second.end() && legacy->second == entry.second.soundID;
    });
}

bool hasProfileNamed(const AppData &data, std::string_view name) {
    return std::any_of(data.profiles.begin(), data.profiles.end(),
                       [&](const Profile &profile) { return profile.name == name; });
}

Profile makeProfile(std::string name, ProfileColor color, std::string baseSoundID, Table table, double variation) {
    Profile profile;
    profile.id = Uuid::random();
    profile.name = std::move(name);
    profile.color = color;
    profile.baseSoundID = std::move(baseSoundID);
    profile.keys = keys(table, variation);
    return profile;
}

} // namespace

Profile makeMeme() {
    return makeProfile("Meme mode", ProfileColor::yellow, "none", kMemeTable, kMemeVariation);
}

Profile makeAnimals() {
    return makeProfile("Animals", ProfileColor::blue, "synth.cream", kAnimalsTable, kAnimalsVariation);
}

Profile makeArcade() {
    return makeProfile("Arcade", ProfileColor::red, "synth.blue", kArcadeTable, kArcadeVariation);
}

std::map<std::string, KeyAssignment> keys(Table table, double variation) {
    std::map<std::string, KeyAssignment> result;
    for (const auto &entry : table) {
        KeyAssignment assignment;
        assignment.soundID = std::string(entry.soundID);
        assignment.volume = 1.0;
        assignment.pitchVariation = variation;
        result.insert_or_assign(KeyCodes::text(entry.code), std::move(assignment));
    }
    return result;
}

void upgrade(AppData &data) {
    auto &markers = data.settings.seededPacks;
    if (std::find(markers.begin(), markers.end(), kMigrationMarker) != markers.end()) {
        return;
    }
    markers.emplace_back(kMigrationMarker);

    // Remember which profile was active by id, not by name: an edited profile may share its name with
    // an unedited one that is about to be retired, and it must keep its place.
    std::optional<Uuid> activeBefore;
    if (!data.profiles.empty()) {
        activeBefore = data.activeProfile().id;
    }

    for (auto &profile : data.profiles) {
        if (!isUnedited(profile)) {
            continue;
        }
        if (profile.name == "Meme mode") {
            profile.keys = keys(kMemeTable, kMemeVariation);
        } else if (profile.name == "Arcade") {
            profile.keys = keys(kArcadeTable, kArcadeVariation);
        }
    }

    std::unordered_set<Uuid> retired;
    for (const auto &profile : data.profiles) {
        if ((profile.name == "Cat cafe" || profile.name == "Barnyard") && isUnedited(profile)) {
            retired.insert(profile.id);
        }
    }
    std::erase_if(data.profiles, [&](const Profile &profile) { return retired.contains(profile.id); });

    if (!hasProfileNamed(data, "Animals")) {
        Profile animals = makeAnimals();
        if (activeBefore && retired.contains(*activeBefore)) {
            data.activeProfileID = animals.id;
        }
        data.profiles.push_back(std::move(animals));
    }

    const bool activeExists = std::any_of(data.profiles.begin(), data.profiles.end(),
                                          [&](const Profile &profile) { return profile.id == data.activeProfileID; });
    if (!activeExists) {
        data.activeProfileID = data.profiles.front().id;
    }
}

} // namespace tc::StarterPacks
