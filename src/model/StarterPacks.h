#pragma once

#include "model/AppData.h"
#include "model/KeyCodes.h"

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace tc {

// The built-in starter profiles a new document starts with (Meme mode, Animals, Arcade), the key tables
// they are made from, and the one-time upgrade that brings a document saved by an earlier release up
// to the current set of packs. Keeps no state: whether the upgrade ran is recorded in the document.
namespace StarterPacks {

// One key of a starter table: a virtual key code and the built-in sound it plays.
struct Entry {
    std::uint16_t code;
    std::string_view soundID;
};
using Table = std::span<const Entry>;

inline constexpr std::array<Entry, 20> kMemeTable = {{
    {KeyCodes::kSpace, "synth.boom"},
    {KeyCodes::kReturn, "rec.applause"},
    {KeyCodes::kDelete, "rec.slidedown"},
    {KeyCodes::kTab, "synth.whoosh"},
    {KeyCodes::kEsc, "synth.sadtrombone"},
    {KeyCodes::kCaps, "rec.badumtss"},
    {KeyCodes::kShiftL, "rec.boing"},
    {KeyCodes::kShiftR, "rec.honk"},
    {KeyCodes::kCmdL, "synth.coin"},
    {KeyCodes::kCmdR, "rec.kaching"},
    {12, "synth.quack"},
    {13, "rec.wow"},
    {3, "rec.fart"},
    {11, "rec.whoopee"},
    {40, "rec.kiss"},
    {35, "synth.pop"},
    {96, "synth.rimshot"},
    {97, "rec.aww"},
    {98, "synth.airhorn"},
    {100, "synth.tada"},
}};

inline constexpr std::array<Entry, 18> kAnimalsTable = {{
    {KeyCodes::kSpace, "synth.mew"},
    {KeyCodes::kReturn, "rec.rooster"},
    {KeyCodes::kDelete, "rec.bark"},
    {KeyCodes::kTab, "rec.horse"},
    {KeyCodes::kEsc, "rec.owl"},
    {KeyCodes::kCaps, "rec.pig"},
    {KeyCodes::kShiftL, "rec.sheep"},
    {KeyCodes::kShiftR, "rec.goat"},
    {12, "synth.quack"},
    {13, "synth.woof"},
    {46, "synth.meow"},
    {8, "rec.meow2"},
    {35, "rec.chicken"},
    {3, "rec.frog"},
    {11, "synth.chirp"},
    {96, "rec.moo"},
    {97, "synth.purr"},
    {98, "rec.puppy"},
}};

inline constexpr std::array<Entry, 6> kArcadeTable = {{
    {KeyCodes::kSpace, "synth.jump"},
    {KeyCodes::kReturn, "synth.coin"},
    {KeyCodes::kDelete, "synth.laser"},
    {KeyCodes::kTab, "synth.powerup"},
    {KeyCodes::kEsc, "synth.explosion"},
    {KeyCodes::kShiftL, "synth.blip"},
}};

inline constexpr double kMemeVariation = 0.06;
inline constexpr double kAnimalsVariation = 0.08;
inline constexpr double kArcadeVariation = 0.15;

// Kept in AppSettings::seededPacks once the upgrade has run on a document.
inline constexpr std::string_view kMigrationMarker = "mixed-packs-1.0.3";

// Each returns a fresh profile with a new random id.
Profile makeMeme();    // "Meme mode", yellow, base "none"
Profile makeAnimals(); // "Animals", blue, base "synth.cream"
Profile makeArcade();  // "Arcade", red, base "synth.blue"

// The key map of a table: each code's decimal text maps to its sound at volume 1.0 with the given pitch
// variation and every flag off. A later entry for the same code replaces an earlier one.
std::map<std::string, KeyAssignment> keys(Table table, double variation);

// Runs once per document (afterwards the marker is in seededPacks; it was added exactly when the
// upgrade ran). Unedited built-in packs of earlier releases are refreshed ("Meme mode", "Arcade") or
// retired ("Cat cafe", "Barnyard"); an "Animals" profile is added when there is none and becomes active
// when the active profile was retired; finally a dangling active id is pointed at the first profile.
// "Unedited" means the key-to-sound map is exactly the old built-in one; a user's own changes are kept.
void upgrade(AppData &data);

} // namespace StarterPacks

} // namespace tc
